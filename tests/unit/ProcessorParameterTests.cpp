#include <gtest/gtest.h>

#include "tests/support/TempHome.h"
#include "tests/support/Helpers.h"

#include <cstring>

namespace
{
    struct ProcessorParameters : ::testing::Test
    {
        TempHome home;
        MarlinetAudioProcessor processor;
    };

    struct Expected
    {
        const char* id;
        const char* name;
        float start, end, defaultValue;
    };
}

TEST_F (ProcessorParameters, AreTwelveInHostOrderWithNamesRangesAndDefaults)
{
    const Expected expected[] = {
        { "rate1", "Speed 1", 69, 160, 120 },   { "rate2", "Speed 2", 19, 90, 60 },
        { "depth1", "Depth 1", 0, 1, 0.5f },    { "depth2", "Depth 2", 0, 1, 0.5f },
        { "volume1", "Volume 1", 0, 3.1622776985168457f, 1 },
        { "volume2", "Volume 2", 0, 3.1622776985168457f, 1 },
        { "pan1", "Pan 1", -10, 10, -10 },      { "pan2", "Pan 2", -10, 10, 10 },
        { "sync1", "Sync 1", 0, 1, 0 },         { "sync2", "Sync 2", 0, 1, 0 },
        { "link", "Link", 0, 1, 0 },            { "bypass", "Bypass", 0, 1, 0 },
    };

    const auto& parameters = processor.getParameters();
    ASSERT_EQ (parameters.size(), 12);

    for (int i = 0; i < 12; ++i)
    {
        const auto& e = expected[i];
        auto* p = dynamic_cast<juce::RangedAudioParameter*> (parameters[i]);
        ASSERT_NE (p, nullptr);
        EXPECT_EQ (p->getParameterID(), e.id);
        EXPECT_EQ (p->getName (100), e.name);
        EXPECT_EQ (p->getVersionHint(), 1);
        EXPECT_EQ (p->getNormalisableRange().start, e.start) << e.id;
        EXPECT_EQ (p->getNormalisableRange().end, e.end) << e.id;
        EXPECT_EQ (p->getNormalisableRange().skew, 1.0f);
        EXPECT_EQ (p->getLabel(), "");
        EXPECT_TRUE (p->isAutomatable());
        EXPECT_EQ (i >= 8, dynamic_cast<juce::AudioParameterBool*> (p) != nullptr) << e.id;

        if (i < 8)
        {
            EXPECT_EQ (p->getNormalisableRange().interval, 0.0f);
        }

        // A default that does not survive the normalised round trip (60 in 19..90) reads
        // back one float step off, as JUCE stores every value normalised.
        EXPECT_FLOAT_EQ (parameterValue (processor, e.id), e.defaultValue) << e.id;
    }
}

TEST_F (ProcessorParameters, VolumeEndsAtTheFloatNearestSqrtTen)
{
    const float end = processor.apvts.getParameter ("volume1")->getNormalisableRange().end;
    juce::uint32 bits = 0;
    std::memcpy (&bits, &end, sizeof (bits));
    EXPECT_EQ (bits, 0x404A62C2u);
}

TEST_F (ProcessorParameters, LayoutRuleAcceptsOnlyEqualMonoOrStereoMainBuses)
{
    using Set = juce::AudioChannelSet;
    auto layout = [] (Set in, Set out)
    {
        juce::AudioProcessor::BusesLayout l;
        l.inputBuses.add (in);
        l.outputBuses.add (out);
        return l;
    };

    EXPECT_TRUE (processor.checkBusesLayoutSupported (layout (Set::stereo(), Set::stereo())));
    EXPECT_TRUE (processor.checkBusesLayoutSupported (layout (Set::mono(), Set::mono())));
    EXPECT_FALSE (processor.checkBusesLayoutSupported (layout (Set::mono(), Set::stereo())));
    EXPECT_FALSE (processor.checkBusesLayoutSupported (layout (Set::stereo(), Set::mono())));
    EXPECT_FALSE (processor.checkBusesLayoutSupported (layout (Set::stereo(), Set::disabled())));
    EXPECT_FALSE (processor.checkBusesLayoutSupported (layout (Set::create5point1(), Set::create5point1())));

    juce::AudioProcessor::BusesLayout noInput;
    noInput.outputBuses.add (Set::stereo());
    EXPECT_FALSE (processor.checkBusesLayoutSupported (noInput));
}

TEST_F (ProcessorParameters, FixedAnswersBusesAndOneProgram)
{
    EXPECT_EQ (processor.getName(), "Marlinet");
    EXPECT_FALSE (processor.acceptsMidi() || processor.producesMidi() || processor.isMidiEffect());
    EXPECT_EQ (processor.getTailLengthSeconds(), 0.0);
    EXPECT_TRUE (processor.hasEditor());
    EXPECT_EQ (processor.getNumPrograms(), 1);
    processor.setCurrentProgram (3);
    EXPECT_EQ (processor.getCurrentProgram(), 0);
    EXPECT_EQ (processor.getProgramName (7), "Marlinet");

    ASSERT_EQ (processor.getBusCount (true), 1);
    ASSERT_EQ (processor.getBusCount (false), 1);
    EXPECT_EQ (processor.getBus (true, 0)->getName(), "Input");
    EXPECT_EQ (processor.getBus (false, 0)->getName(), "Output");
    EXPECT_EQ (processor.getBus (true, 0)->getCurrentLayout(), juce::AudioChannelSet::stereo());
    EXPECT_FALSE (processor.supportsDoublePrecisionProcessing());
    EXPECT_EQ (processor.getBypassParameter(), nullptr);
}

TEST_F (ProcessorParameters, PrepareToPlayTruncatesTheRateAndResetsNothing)
{
    EXPECT_EQ (processor.sampleRate, 1);
    juce::AudioBuffer<float> buffer (2, 100);
    juce::MidiBuffer midi;
    processor.processBlock (buffer, midi);

    processor.prepareToPlay (44100.9, 512);
    EXPECT_EQ (processor.sampleRate, 44100);
    EXPECT_EQ (processor.sampleCounter, 100);
}

TEST_F (ProcessorParameters, NonFiniteOrOutOfRangeHostValuesLeaveTheParametersTheAudioAndTheStateFinite)
{
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const auto& parameters = processor.getParameters();

    for (int i = 0; i < 8; ++i)
    {
        auto* p = parameters[i];
        p->setValueNotifyingHost (nan);
        EXPECT_EQ (p->getValue(), p->getDefaultValue()) << i;

        for (const auto [sent, held] : { std::pair { 2.0f, 1.0f }, { inf, 1.0f }, { -1.0f, 0.0f }, { -inf, 0.0f }, { 0.25f, 0.25f }, { nan, 0.25f } })
        {
            p->setValueNotifyingHost (sent);
            EXPECT_FLOAT_EQ (p->getValue(), held) << i << " " << sent;
        }
    }

    // A rate below 1 Hz would make every phase step infinite.
    processor.prepareToPlay (0.0, 512);
    juce::AudioBuffer<float> buffer (2, 64);
    buffer.clear();
    buffer.setSample (0, 10, 1.0f);
    juce::MidiBuffer midi;
    processor.processBlock (buffer, midi);

    for (int i = 0; i < 64; ++i)
        EXPECT_TRUE (std::isfinite (buffer.getSample (0, i)) && std::isfinite (buffer.getSample (1, i)));

    for (const auto& child : treeOf (stateOf (processor)))
        EXPECT_TRUE (std::isfinite ((double) child["value"])) << child["id"].toString();
}

TEST_F (ProcessorParameters, ProcessorAndDirectoriesAreReachableThroughThePresetInterface)
{
    juce::AudioProcessor* base = &processor;
    EXPECT_EQ (dynamic_cast<quenwick::MenuAudioProcessor*> (base), &processor);
    EXPECT_EQ (processor.parameterState, &processor.apvts);
    EXPECT_EQ (&processor.getProcessorState(), &processor.apvts);
    EXPECT_EQ (processor.defaultPresetName, "Marlinet By Quenwick");
    EXPECT_EQ (processor.productId, "marlinet");
    ASSERT_NE (processor.menu, nullptr);
    EXPECT_EQ (processor.menu->bypassParameterId, "bypass");
    EXPECT_EQ (processor.menu->infoTextX, 357);
    EXPECT_EQ (processor.menu->infoTextY, 62);

    EXPECT_EQ (processor.getApplicationDirectory(), home.applicationDirectory());
    EXPECT_EQ (processor.getUserPresetDirectory(), home.userPresetDirectory());
    EXPECT_EQ (processor.getUserPresetDirectory().getFileName(), "User");
}

TEST (ProcessorDirectories, FallBackToLocalShareWhenTheDataHomeIsUnsetOrRelative)
{
    TempHome home;

    for (const char* value : { "", "relative/path", "~/data" })
    {
        setenv ("XDG_DATA_HOME", value, 1);
        MarlinetAudioProcessor processor;
        EXPECT_EQ (processor.getApplicationDirectory(),
                   home.root.getChildFile (".local/share/Quenwick/Marlinet Rack")) << value;
    }

    unsetenv ("XDG_DATA_HOME");
    MarlinetAudioProcessor processor;
    EXPECT_EQ (processor.getApplicationDirectory(), home.root.getChildFile (".local/share/Quenwick/Marlinet Rack"));
}
