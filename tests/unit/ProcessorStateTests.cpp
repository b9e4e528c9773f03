#include <gtest/gtest.h>

#include "presets/safeXml.h"
#include "processor/StateBytes.h"
#include "tests/support/TempHome.h"
#include "tests/support/Helpers.h"

namespace
{
    struct ProcessorState : ::testing::Test
    {
        TempHome home;
        MarlinetAudioProcessor processor;

        void restore (const juce::MemoryBlock& block)
        {
            processor.menu->stateChanged = false;
            processor.setStateInformation (block.getData(), (int) block.getSize());
            EXPECT_TRUE (processor.menu->stateChanged.load());
        }

        /** The bytes of JUCE's "VC2!" XML container around the text, bytes taken as they are. */
        static juce::MemoryBlock legacyContainer (const std::string& xml, int lengthField = -1)
        {
            juce::MemoryOutputStream out;
            out.writeInt (0x21324356);
            out.writeInt (lengthField >= 0 ? lengthField : (int) xml.size());
            out.write (xml.data(), xml.size());
            return out.getMemoryBlock();
        }

    };
}

TEST_F (ProcessorState, AtDefaultsIsTwelveParamChildrenInIdOrderWithoutPath)
{
    const auto tree = treeOf (stateOf (processor));
    EXPECT_TRUE (tree.hasType ("MarlinetPreset"));
    EXPECT_FALSE (tree.hasProperty ("path"));
    EXPECT_EQ (tree.getNumProperties(), 0);

    const char* ids[] = { "bypass", "depth1", "depth2", "link", "pan1", "pan2",
                          "rate1", "rate2", "sync1", "sync2", "volume1", "volume2" };
    const double values[] = { 0, 0.5, 0.5, 0, -10, 10, 120, 60, 0, 0, 1, 1 };
    ASSERT_EQ (tree.getNumChildren(), 12);

    for (int i = 0; i < 12; ++i)
    {
        const auto child = tree.getChild (i);
        EXPECT_TRUE (child.hasType ("PARAM"));
        EXPECT_EQ (child.getPropertyName (0).toString(), "id");
        EXPECT_EQ (child.getPropertyName (1).toString(), "value");
        EXPECT_EQ (child["id"].toString(), ids[i]);
        EXPECT_NEAR ((double) child["value"], values[i], 1.0e-5) << ids[i];
        EXPECT_TRUE (child["value"].isDouble());
    }
}

TEST_F (ProcessorState, WritingReplacesWhateverTheBlockHeld)
{
    const auto expected = stateOf (processor);
    juce::MemoryBlock block (1000, true);
    block.fillWith (0x55);
    processor.getStateInformation (block);
    EXPECT_EQ (block, expected);
    EXPECT_LT (block.getSize(), (size_t) 1000);
}

TEST_F (ProcessorState, RoundTripsEveryParameterAndThePath)
{
    setParameter (processor, "rate1", 90.0f);
    setParameter (processor, "link", 1.0f);
    processor.apvts.state.setProperty ("path", "/x/y.preset", nullptr);
    const auto saved = stateOf (processor);

    TempHome otherHome;
    MarlinetAudioProcessor other;
    other.setStateInformation (saved.getData(), (int) saved.getSize());
    EXPECT_FLOAT_EQ (parameterValue (other, "rate1"), 90.0f);
    EXPECT_EQ (parameterValue (other, "link"), 1.0f);
    EXPECT_EQ (stateOf (other), saved);
}

TEST_F (ProcessorState, AForeignTreeWithTwoChildrenSetsThoseAndDefaultsTheRest)
{
    setParameter (processor, "depth1", 0.9f);
    juce::ValueTree foreign ("Other");
    foreign.appendChild (juce::ValueTree ("PARAM").setProperty ("id", "rate1", nullptr).setProperty ("value", 100.0, nullptr), nullptr);
    foreign.appendChild (juce::ValueTree ("PARAM").setProperty ("id", "link", nullptr).setProperty ("value", 1.0, nullptr), nullptr);
    // A later namesake is dropped: the first child that carries an id counts.
    foreign.appendChild (juce::ValueTree ("PARAM").setProperty ("id", "rate1", nullptr).setProperty ("value", 150.0, nullptr), nullptr);
    restore (bytesOf (foreign));

    EXPECT_FLOAT_EQ (parameterValue (processor, "rate1"), 100.0f);
    EXPECT_EQ (parameterValue (processor, "link"), 1.0f);
    EXPECT_FLOAT_EQ (parameterValue (processor, "depth1"), 0.5f);

    const auto written = treeOf (stateOf (processor));
    EXPECT_TRUE (written.hasType ("Other"));
    ASSERT_EQ (written.getNumChildren(), 12);
    EXPECT_EQ (written.getChild (0)["id"].toString(), "rate1");
    EXPECT_EQ (written.getChild (1)["id"].toString(), "link");
    EXPECT_EQ (written.getChild (2)["id"].toString(), "bypass");
    EXPECT_EQ (written.getChild (11)["id"].toString(), "volume2");
}

TEST_F (ProcessorState, OutOfRangeAndNonFiniteValuesAreClampedOrDefaulted)
{
    auto tree = treeOf (stateOf (processor));
    tree.getChildWithProperty ("id", "rate1").setProperty ("value", 500.0, nullptr);
    tree.getChildWithProperty ("id", "depth1").setProperty ("value", std::numeric_limits<double>::quiet_NaN(), nullptr);
    tree.getChildWithProperty ("id", "pan1").setProperty ("value", -std::numeric_limits<double>::infinity(), nullptr);
    setParameter (processor, "depth1", 0.9f);
    restore (bytesOf (tree));

    EXPECT_EQ (parameterValue (processor, "rate1"), 160.0f);
    EXPECT_FLOAT_EQ (parameterValue (processor, "depth1"), 0.5f);
    EXPECT_EQ (parameterValue (processor, "pan1"), -10.0f);
}

TEST_F (ProcessorState, BytesHoldingNoTreeKeepTheCurrentStateAndStillSignal)
{
    setParameter (processor, "rate1", 90.0f);
    processor.apvts.state.setProperty ("path", "/p.preset", nullptr);
    const auto before = stateOf (processor);

    restore (juce::MemoryBlock());
    restore (juce::MemoryBlock (16, true));
    processor.menu->stateChanged = false;
    processor.setStateInformation (nullptr, 12);
    EXPECT_TRUE (processor.menu->stateChanged.load());

    EXPECT_EQ (stateOf (processor), before);
    EXPECT_EQ (processor.apvts.state["path"].toString(), "/p.preset");
}

TEST_F (ProcessorState, ARestoreThatChangesNothingStillSignals)
{
    restore (stateOf (processor));
}

TEST_F (ProcessorState, LegacyContainerSetsNamedParametersOnly)
{
    setParameter (processor, "volume1", 2.0f);
    processor.apvts.state.setProperty ("path", "/keep.preset", nullptr);
    restore (legacyContainer (R"(<old rate1="90" depth1="loud" colour="7" Rate2="30" pan2="inf"><rate2 value="20"/></old>)"));

    EXPECT_FLOAT_EQ (parameterValue (processor, "rate1"), 90.0f);
    EXPECT_EQ (parameterValue (processor, "depth1"), 0.0f);
    EXPECT_FLOAT_EQ (parameterValue (processor, "rate2"), 60.0f);
    EXPECT_FLOAT_EQ (parameterValue (processor, "volume1"), 2.0f);
    EXPECT_EQ (parameterValue (processor, "pan2"), 0.0f);
    EXPECT_EQ (processor.apvts.state["path"].toString(), "/keep.preset");
}

TEST_F (ProcessorState, LegacyContainerEdgesOfTheHeader)
{
    // A length past the data uses the text up to the end of the block.
    restore (legacyContainer (R"(<x rate1="100"/>)", 5000));
    EXPECT_FLOAT_EQ (parameterValue (processor, "rate1"), 100.0f);

    // The magic without a container (too short, a zero length, text that holds no element)
    // holds no state: read as a binary tree, its type would start with the magic and its
    // next save could read back as a container. The current state stays.
    const auto before = stateOf (processor);
    auto shortBlock = legacyContainer ("");
    shortBlock.setSize (8, true);
    for (const auto& block : { shortBlock, legacyContainer (R"(<x rate1="70"/>)", 0), legacyContainer ("no xml here"),
                               legacyContainer (std::string ("\0\0<x rate1=\"70\"/>", 17), 0x7fffffff) })
    {
        restore (block);
        EXPECT_EQ (stateOf (processor), before);
    }
}

TEST_F (ProcessorState, HostileLegacyTextIsRefusedInBoundedTimeAndKeepsTheState)
{
    setParameter (processor, "rate1", 100.0f);
    processor.apvts.state.setProperty ("path", "/keep.preset", nullptr);
    const auto before = stateOf (processor);
    const auto deep = juce::String::repeatedString ("<a>", 300000).toStdString();

    // Each would hang, overrun, recurse off the stack or expand without end in JUCE's reader.
    for (const std::string& hostile : std::vector<std::string> { R"(<!DOCTYPE x [<!ENTITY a "x&a;">]><x rate1="&a;"/>)", "<x rate1=\"90\"/><!doctype y>",
                                        "<x rate1=\"90\xff\"/>", "<x rate1=\"9\xc0\xb0\"/>", "<x rate1=\"90\xed\xa0\x80\"/>",
                                        "<x rate1=\"90\">" + deep, juce::String::repeatedString ("</a>", 400000).toStdString() + "<x>" + deep,
                                        "<x rate1=\"90\"><?p?>x</x>", "<?xml version=\"1.0\"?><x rate1=\"90\"> <?p?> &amp;</x>",
                                        "<x rate1=\"90\">&#x", "<x rate1=\"&#x12", "<x rate1=\"90\">&<a>&#x1;</x>", "<x rate1=\"90\">&b;</x>" })
    {
        restore (legacyContainer (hostile));
        EXPECT_EQ (stateOf (processor), before) << hostile.substr (0, 60);
    }

    // What JUCE writes itself still reads: a leading declaration, comments, references.
    restore (legacyContainer ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<x rate1=\"7&#48;\" depth1=\"&#x30;.25\"><!--c-->a &amp; b</x>"));
    EXPECT_FLOAT_EQ (parameterValue (processor, "rate1"), 70.0f);
    EXPECT_FLOAT_EQ (parameterValue (processor, "depth1"), 0.25f);

}

TEST_F (ProcessorState, TreesNamedInMalformedUtf8AreRefusedSoNoLaterSaveIsMisaligned)
{
    setParameter (processor, "rate1", 100.0f);
    const auto before = stateOf (processor);

    // A lone lead byte, an overlong "A" and a surrogate, as the tree type, a property name and a child type.
    for (const char* raw : { "\xf0", "\xc1\x81", "\xed\xa0\x80" })
        for (int place = 0; place < 3; ++place)
        {
            juce::MemoryOutputStream out;
            out.write (place == 0 ? raw : "MarlinetPreset", std::strlen (place == 0 ? raw : "MarlinetPreset") + 1);
            out.writeCompressedInt (1);
            out.write (place == 1 ? raw : "path", std::strlen (place == 1 ? raw : "path") + 1);
            juce::var ("/p.preset").writeToStream (out);
            out.writeCompressedInt (1);
            out.write (place == 2 ? raw : "PARAM", std::strlen (place == 2 ? raw : "PARAM") + 1);
            out.writeCompressedInt (0);
            out.writeCompressedInt (0);

            restore (out.getMemoryBlock());
            EXPECT_EQ (stateOf (processor), before) << place;
        }
}

TEST (StateBytesBounds, RefuseCountsAndSizesBeyondTheData)
{
    auto bytes = [] (std::initializer_list<int> values)
    {
        juce::MemoryBlock block;
        for (auto v : values)
            block.append (&v, 1);
        return block;
    };

    // type "T", 0 properties, 2^30 children
    const auto hugeChildren = bytes ({ 'T', 0, 0, 4, 0, 0, 0, 0x40 });
    EXPECT_FALSE (isBoundedValueTreeData (hugeChildren.getData(), hugeChildren.getSize()));

    // type "T", 2^30 properties
    const auto hugeProperties = bytes ({ 'T', 0, 4, 0, 0, 0, 0x40 });
    EXPECT_FALSE (isBoundedValueTreeData (hugeProperties.getData(), hugeProperties.getSize()));

    // type "T", 1 property "p" holding a binary of 2^30 bytes
    const auto hugeBinary = bytes ({ 'T', 0, 1, 1, 'p', 0, 4, 0, 0, 0, 0x40, 8 });
    EXPECT_FALSE (isBoundedValueTreeData (hugeBinary.getData(), hugeBinary.getSize()));

    // type "T", 1 property "p" holding an array of 2^30 elements
    const auto hugeArray = bytes ({ 'T', 0, 1, 1, 'p', 0, 1, 9, 7, 4, 0, 0, 0, 0x40 });
    EXPECT_FALSE (isBoundedValueTreeData (hugeArray.getData(), hugeArray.getSize()));

    // a chain of 1000 nested single children
    juce::MemoryBlock deep;
    for (int i = 0; i < 1000; ++i)
        deep.append ("T\0\0\1\1", 5);
    EXPECT_FALSE (isBoundedValueTreeData (deep.getData(), deep.getSize()));

    juce::ValueTree real ("MarlinetPreset");
    real.setProperty ("path", "/a/b.preset", nullptr);
    real.appendChild (juce::ValueTree ("PARAM").setProperty ("id", "rate1", nullptr).setProperty ("value", 100.0, nullptr), nullptr);
    juce::MemoryOutputStream out;
    real.writeToStream (out);
    EXPECT_TRUE (isBoundedValueTreeData (out.getData(), out.getDataSize()));
}

TEST_F (ProcessorState, SeededRandomAndTruncatedBytesNeverCrashOrLoseTheTree)
{
    juce::Random random (20261206);
    const auto valid = stateOf (processor);

    for (int round = 0; round < 2000; ++round)
    {
        juce::MemoryBlock block;

        if (round % 2 == 0)
        {
            block.setSize ((size_t) random.nextInt (64));
            for (size_t i = 0; i < block.getSize(); ++i)
                block[i] = (char) random.nextInt (256);
        }
        else
        {
            block = valid;
            block.setSize ((size_t) random.nextInt ((int) valid.getSize()));
            if (block.getSize() > 0)
                block[(size_t) random.nextInt ((int) block.getSize())] = (char) random.nextInt (256);
        }

        processor.setStateInformation (block.getData(), (int) block.getSize());

        const auto tree = treeOf (stateOf (processor));
        ASSERT_TRUE (tree.isValid());

        for (auto* parameter : processor.getParameters())
            ASSERT_TRUE (std::isfinite (parameter->getValue()));
    }
}
