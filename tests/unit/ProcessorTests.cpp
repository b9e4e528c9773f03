#include <gtest/gtest.h>

#include "processor/StateBytes.h"
#include "processor/Tremolo.h"
#include "tests/support/TempHome.h"
#include "tests/support/Helpers.h"

#include <cstring>
#include <map>

namespace
{
    /** The tremolo's serial formula written out: each channel's gain over n samples from the count start, at [i * channels + c]. */
    std::vector<float> referenceGains (const TremoloSettings& s, int channels, int rate, juce::int64 start, int n)
    {
        const bool linked = s.linked, mono = channels == 1;   // linked, section 2 takes all of section 1's settings
        const double k = 6.283185307179586 / rate / 15.0, inc1 = s.rate1 * k, inc2 = linked ? inc1 : s.rate2 * k;
        const double v1 = s.volume1, d1 = s.depth1, p1 = s.pan1, v2 = linked ? v1 : s.volume2, d2 = linked ? d1 : s.depth2, p2 = linked ? p1 : s.pan2;
        const double a1[] = { mono ? 1.0 : 0.5 - p1 / 20.0, 0.5 + p1 / 20.0 }, a2[] = { mono ? 1.0 : 0.5 - p2 / 20.0, 0.5 + p2 / 20.0 };
        std::vector<float> gains;
        double ph1 = (double) start * inc1, ph2 = (double) start * inc2;

        for (int i = 0; i < n; ++i, ph1 += inc1, ph2 += inc2)
        {
            const double g1 = d1 <= 0 ? 1.0 : (v1 > 0 ? (std::cos (ph1) + 1.0) * 0.5 * d1 + (1.0 - d1) : 1.0 - d1);
            const double g2 = d2 <= 0 ? 1.0 : (v2 > 0 ? (std::cos (ph2) + 1.0) * 0.5 * v2 * d2 + (1.0 - d2) : 1.0 - d2);
            for (int c = 0; c < channels; ++c)
                gains.push_back ((float) (((g1 * v1 * a1[c] + 1.0) - a1[c]) * ((g2 * v2 * a2[c] + 1.0) - a2[c])));
        }
        return gains;
    }

    float scaled (float in, float gain)  { return gain == 1.0f ? in : (gain == 0.0f ? 0.0f : in * gain); }   // 1 keeps a sample, 0 makes it +0
    bool sameBits (float a, float b)     { return std::memcmp (&a, &b, sizeof (a)) == 0; }

    juce::ValueTree param (const char* id, double value)  { return juce::ValueTree ("PARAM", { { "id", id }, { "value", value } }); }

    struct Processor : ::testing::Test
    {
        TempHome home;
        MarlinetAudioProcessor processor;
        FakePlayHead playHead;

        void SetUp() override { processor.setPlayHead (&playHead); processor.prepareToPlay (48000.9, 512); }   // whole samples: 48000

        void restore (const juce::MemoryBlock& block)
        {
            processor.menu->stateChanged = false;
            processor.setStateInformation (block.getData(), (int) block.getSize());
            EXPECT_TRUE (processor.menu->stateChanged.load());   // every restore tells the preset bar, even one that changes nothing
        }

        void expectValues (std::initializer_list<std::pair<const char*, float>> values)
        {
            for (const auto& [id, value] : values)
                EXPECT_FLOAT_EQ (parameterValue (processor, id), value) << id;
        }

        /** Runs a block of noise, bit for bit as the reference has it; bypassed or at both depths 0 it stays as it is. */
        void expectBlockMatchesReference (int channels, int n, int seed)
        {
            juce::Random random (seed);
            juce::AudioBuffer<float> buffer (channels, n);
            for (int i = 0; i < channels * n; ++i)
                buffer.setSample (i % channels, i / channels, random.nextFloat() * 2.0f - 1.0f);
            const auto input = buffer;
            const auto start = processor.sampleCounter;
            juce::MidiBuffer midi;
            processor.processBlock (buffer, midi);
            auto v = [this] (const char* id) { return parameterValue (processor, id); };
            const TremoloSettings s { v ("rate1"), v ("rate2"), v ("depth1"), v ("depth2"), v ("volume1"), v ("volume2"), v ("pan1"), v ("pan2"), v ("link") != 0 };
            const bool untouched = v ("bypass") != 0 || (s.depth1 == 0 && s.depth2 == 0);
            const auto gains = referenceGains (s, channels, 48000, start, n);
            for (int i = 0; i < channels * n; ++i)
                ASSERT_TRUE (sameBits (buffer.getSample (i % channels, i / channels), untouched ? input.getSample (i % channels, i / channels)
                                           : scaled (input.getSample (i % channels, i / channels), gains[(size_t) i]))) << "channel " << i % channels << " sample " << i / channels;
            EXPECT_EQ (processor.sampleCounter, start + n);   // bypassed too
        }
    };

    using ProcessorState = Processor;  using Tremolo = Processor;  using Sync = Processor;
}

TEST_F (ProcessorState, HoldsTwelveParametersInHostOrderAndSavesExactlyTheirDefaultsAsParamChildrenInIdOrder)
{
    // Ranges and defaults in host order; 60 in 19..90 is held a float step off, as JUCE holds every value normalised.
    const juce::NormalisableRange<float> r2 (19, 90);
    const float v = (float) std::sqrt (10.0), speed2 = r2.convertFrom0to1 (r2.convertTo0to1 (60));
    const std::tuple<const char*, float, float, float> table[] = { { "rate1", 69, 160, 120 }, { "rate2", 19, 90, speed2 }, { "depth1", 0, 1, 0.5f },
        { "depth2", 0, 1, 0.5f }, { "volume1", 0, v, 1 }, { "volume2", 0, v, 1 }, { "pan1", -10, 10, -10 }, { "pan2", -10, 10, 10 },
        { "sync1", 0, 1, 0 }, { "sync2", 0, 1, 0 }, { "link", 0, 1, 0 }, { "bypass", 0, 1, 0 } };
    ASSERT_EQ (processor.getParameters().size(), 12);
    std::map<juce::String, double> byId;
    for (int i = 0; i < 12; ++i)
    {
        const auto& [id, start, end, defaultValue] = table[i];
        auto* p = dynamic_cast<juce::RangedAudioParameter*> (processor.getParameters()[i]);
        EXPECT_TRUE (p->getParameterID() == id && p->getVersionHint() == 1 && p->getNormalisableRange().start == start
                     && p->getNormalisableRange().end == end && (i >= 8) == (dynamic_cast<juce::AudioParameterBool*> (p) != nullptr)) << id;
        byId[id] = defaultValue;
    }
    juce::ValueTree expected ("MarlinetPreset");
    for (const auto& [id, value] : byId)
        expected.appendChild (param (id.toRawUTF8(), value), nullptr);
    juce::MemoryBlock block (1000, true);   // a save replaces what the block held
    processor.getStateInformation (block);
    EXPECT_EQ (block, bytesOf (expected));
    EXPECT_EQ (processor.getName() + " " + juce::String (processor.getNumPrograms()) + " " + processor.getProgramName (0), "Marlinet 1 Marlinet");
}

TEST_F (ProcessorState, DirectoriesFollowAnAbsoluteDataHomeAndOtherwiseFallBackToLocalShare)
{
    const auto fallback = home.root.getChildFile (".local/share/Quenwick/Marlinet Rack");
    const auto absolute = home.root.getChildFile ("data").getFullPathName();
    for (const auto& [value, expected] : { std::pair<const char*, juce::File> { absolute.toRawUTF8(), juce::File (absolute + "/Quenwick/Marlinet Rack") },
                                           { "", fallback }, { "relative/path", fallback }, { "~/data", fallback }, { nullptr, fallback } })
    {
        value != nullptr ? setenv ("XDG_DATA_HOME", value, 1) : unsetenv ("XDG_DATA_HOME");
        EXPECT_EQ (MarlinetAudioProcessor().getApplicationDirectory(), expected) << (value != nullptr ? value : "unset");
    }
}

TEST_F (ProcessorState, ATreeOrALegacyContainerSetsTheParametersItNames)
{
    // The first of namesakes counts; out of range is clamped; not finite or missing is the default.
    setParameter (processor, "depth1", 0.9f);
    restore (bytesOf (juce::ValueTree ("Other", {}, { param ("rate1", 100), param ("link", 1), param ("rate1", 150), param ("rate2", 500),
                                                      param ("depth1", NAN), param ("pan1", INFINITY) })));
    expectValues ({ { "rate1", 100 }, { "link", 1 }, { "rate2", 90 }, { "depth1", 0.5f }, { "pan1", -10 }, { "volume1", 1 } });

    // A container's root attributes only, and text that is no finite number is 0; the path stays.
    setParameter (processor, "volume1", 2.0f);
    processor.apvts.state.setProperty ("path", "/keep.preset", nullptr);
    restore (legacyContainer (R"(<old rate1="90" depth1="loud" colour="7" Rate2="30" pan2="inf"><rate2 value="20"/></old>)"));
    expectValues ({ { "rate1", 90 }, { "depth1", 0 }, { "rate2", 90 }, { "volume1", 2 }, { "pan2", 0 } });
    EXPECT_EQ (processor.apvts.state["path"].toString(), "/keep.preset");

    // What JUCE writes itself reads: a declaration, comments, references; a length past the data reads to its end.
    restore (legacyContainer ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<x rate1=\"7&#48;\" depth1=\"&#x30;.25\"><!--c-->a &amp; b</x>", 5000));
    expectValues ({ { "rate1", 70 }, { "depth1", 0.25f } });

    // Text of 1 MiB is read whole, as a preset file is.
    restore (legacyContainer ("<x rate1=\"80\"/>" + std::string (1024 * 1024 - 15, ' ')));
    expectValues ({ { "rate1", 80 } });
}

TEST_F (ProcessorState, ANonFiniteValueFromAHostLeavesEveryParameterFiniteAndANaNChangesNothing)
{
    // From either end, as a host sends them: a NaN keeps the value, an infinity is the end it points to.
    for (const float sent : { NAN, INFINITY, -INFINITY })
        for (const float from : { 1.0f, 0.0f })
            for (auto* parameter : processor.getParameters())
            {
                auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (parameter);
                const auto id = ranged->getParameterID();
                parameter->setValueNotifyingHost (from);
                parameter->setValueNotifyingHost (sent);
                const float expected = std::isnan (sent) ? from : (sent > 0.0f ? 1.0f : 0.0f);
                SCOPED_TRACE (id + " from " + juce::String (from) + " sent " + juce::String (sent));
                EXPECT_EQ (parameter->getValue(), expected);
                EXPECT_EQ (parameterValue (processor, id.toRawUTF8()), ranged->convertFrom0to1 (expected));
                EXPECT_EQ (ranged->convertFrom0to1 (sent), ranged->convertFrom0to1 (expected));   // as an editor's attachment reads it
                for (const auto& child : treeOf (stateOf (processor)))
                    ASSERT_TRUE (std::isfinite ((double) child["value"])) << child["id"].toString();
            }
}

TEST_F (ProcessorState, BytesHoldingNoUsableStateKeepTheCurrentOneInBoundedTime)
{
    setParameter (processor, "rate1", 100.0f);
    processor.apvts.state.setProperty ("path", "/keep.preset", nullptr);
    const auto before = stateOf (processor);
    // The state itself; no tree; the magic without a container (as a tree its type would start with the magic).
    std::vector<juce::MemoryBlock> blocks { before, {}, juce::MemoryBlock (16, true), legacyContainer (""), legacyContainer (R"(<x rate1="70"/>)", 0),
                                            legacyContainer ("no xml here"), legacyContainer (std::string ("\0\0<x rate1=\"70\"/>", 17), 0x7fffffff) };
    // Text that would hang, overrun, recurse off the stack or expand without end in JUCE's reader.
    const auto deep = juce::String::repeatedString ("<a>", 300000).toStdString();
    for (const std::string& text : std::vector<std::string> { R"(<!DOCTYPE x [<!ENTITY a "x&a;">]><x rate1="&a;"/>)", "<x rate1=\"90\"/><!doctype y>",
             "<x rate1=\"90\xff\"/>", "<x rate1=\"9\xc0\xb0\"/>", "<x rate1=\"90\xed\xa0\x80\"/>", "<x rate1=\"90\">" + deep,
             juce::String::repeatedString ("</a>", 400000).toStdString() + "<x>" + deep, "<x rate1=\"90\"><?p?>x</x>",
             "<?xml version=\"1.0\"?><x rate1=\"90\"> <?p?> &amp;</x>", "<x rate1=\"90\">&#x", "<x rate1=\"&#x12", "<x rate1=\"90\">&<a>&#x1;</x>", "<x rate1=\"90\">&b;</x>",
             "<x rate1=\"90\"><a \"" + juce::String::repeatedString ("<b>", 100000).toStdString() + "\"/></x>",   // nesting behind a stray quote
             "<x rate1=\"90\"/>" + std::string (1024 * 1024 - 14, ' ') })   // beyond 1 MiB
        blocks.push_back (legacyContainer (text));
    // A type, property name or child type in malformed UTF-8 (lone lead, overlong "A", surrogate): JUCE writes it back misaligned.
    const auto tree = bytesOf (juce::ValueTree ("MarlinetPreset", { { "path", "/p.preset" } }, { juce::ValueTree ("PARAM") }));
    for (const char* raw : { "\xf0", "\xc1\x81", "\xed\xa0\x80" })
        for (const std::string name : { "MarlinetPreset", "path", "PARAM" })
        {
            auto bytes = std::string ((const char*) tree.getData(), tree.getSize());
            bytes.replace (bytes.find (name), name.size(), raw);
            blocks.emplace_back (bytes.data(), bytes.size());
        }

    for (size_t i = 0; i < blocks.size(); ++i)
    {
        restore (blocks[i]);
        EXPECT_EQ (stateOf (processor), before) << i;
    }
}

TEST (StateBytesBounds, RefuseCountsAndSizesBeyondTheDataAndDeepNesting)
{
    // Type "T" with 2^30 children; 2^30 properties; a property "p" holding 2^30 bytes; an array of 2^30 elements; 1000 nested
    // children, well formed to the innermost one.
    std::vector<std::vector<juce::uint8>> hostile { { 'T', 0, 0, 4, 0, 0, 0, 0x40 }, { 'T', 0, 4, 0, 0, 0, 0x40 },
                                                    { 'T', 0, 1, 1, 'p', 0, 4, 0, 0, 0, 0x40, 8 }, { 'T', 0, 1, 1, 'p', 0, 1, 9, 7, 4, 0, 0, 0, 0x40 }, {} };
    for (int i = 0; i < 1000; ++i)
        hostile.back().insert (hostile.back().end(), { 'T', 0, 0, 1, (juce::uint8) (i < 999 ? 1 : 0) });
    for (const auto& bytes : hostile)
        EXPECT_FALSE (isBoundedValueTreeData (bytes.data(), bytes.size())) << bytes.size();
    const auto real = bytesOf (juce::ValueTree ("MarlinetPreset", { { "path", "/a/b.preset" } }, { param ("rate1", 100) }));
    EXPECT_TRUE (isBoundedValueTreeData (real.getData(), real.getSize()));
}

TEST_F (Tremolo, MatchesTheReferenceInStereoMonoAndLinkedWhereSectionTwoTakesAllOfSectionOne)
{
    const char* ids[] = { "rate1", "rate2", "depth1", "depth2", "volume1", "volume2", "pan1", "pan2", "link", "bypass" };
    const float rows[][11] = {   // the values of ids, then the channels
        { 120, 60, 0.5f, 0.5f, 1, 1, -10, 10, 0, 0, 2 },              // defaults: a section per channel
        { 97.3f, 41.7f, 0.61f, 0.83f, 1.7f, 1.37f, -4, 7, 1, 0, 2 },  // linked: pan 2 is ignored too; every rounding step shows
        { 120, 60, 0, 0.5f, 1, 2, -10, 10, 0, 0, 2 },                 // section 1 still: channel 0 bit-identical
        { 120, 60, 0.5f, 0.5f, 0, 1, -10, 10, 0, 0, 2 },              // section 1 at volume 0: channel 0 is +0
        { 97.3f, 41.7f, 0.61f, 0.83f, 1.7f, 1.37f, 3, 7, 0, 1, 2 },   // bypassed
        { 120, 60, 0, 0, 0, 2, -10, 10, 0, 0, 2 },                    // both depths 0: untouched whatever the volumes
        { 80, 33, 0.7f, 0.2f, 1.2f, 2, 3, -8, 0, 0, 1 },              // mono takes both sections whole, whatever the pans
    };
    for (int row = 0; row < (int) std::size (rows); ++row)
    {
        const auto buses = juce::AudioChannelSet::canonicalChannelSet ((int) rows[row][10]);
        ASSERT_TRUE (processor.setBusesLayout ({ { buses }, { buses } }));
        for (int p = 0; p < 10; ++p)
            setParameter (processor, ids[p], rows[row][p]);
        SCOPED_TRACE (row);
        expectBlockMatchesReference ((int) rows[row][10], 300 + 97 * row, row);
    }
}

TEST_F (Tremolo, ARateBelowOneHertzOrABufferShortOfTheBusesChannelsStillPlaysFinite)
{
    juce::MidiBuffer midi;
    for (const auto [rate, channels] : { std::pair { 0.5, 2 }, { 0.0, 2 }, { 48000.0, 1 } })   // stereo buses, a mono buffer last
    {
        processor.prepareToPlay (rate, 64);
        juce::AudioBuffer<float> buffer (channels, 64);
        buffer.clear();
        buffer.setSample (0, 10, 1.0f);
        processor.processBlock (buffer, midi);
        for (int i = 0; i < 64 * channels; ++i)
            EXPECT_TRUE (std::isfinite (buffer.getSample (i % channels, i / channels))) << rate;
    }
}

TEST (TremoloSweep, WithinAnUlpOfTheSerialFormulaAndExactAtTheDefaults)
{
    // Settings beyond the parameter ranges, blocks of 1 to 4096, starts up to days of audio and where the phase passes a power of two,
    // half with denormals flushed; ones come out as the gains, specials as the gain rule makes them; every 25th: defaults, bit for bit.
    juce::Random random (7);
    const float v = 3.1622776985168457f, specials[] = { INFINITY, -INFINITY, NAN, std::numeric_limits<float>::signaling_NaN(), -0.0f, 0.0f, 1.0e-40f, -1.0e-45f };
    auto pick = [&random] (std::initializer_list<float> often, float high, float low = 0.0f)   // a value often chosen, or any
    { return random.nextBool() ? often.begin()[random.nextInt ((int) often.size())] : low + (high - low) * random.nextFloat(); };

    for (int setting = 0; setting < 1000; ++setting)
    {
        const bool defaults = setting % 25 == 0;
        const auto s = defaults ? TremoloSettings() : TremoloSettings { pick ({ 69, 160 }, 400, 1), pick ({ 19, 90 }, 200, 1), pick ({ 0, 1 }, 1), pick ({ 0, 1 }, 1),
            pick ({ 0, 1, v }, v), pick ({ 0, 1, v }, v), pick ({ -10, 0, 10 }, 10, -10), pick ({ -10, 0, 10 }, 10, -10), random.nextBool() };
        const int rate = defaults ? 48000 : 44100 + random.nextInt (147901), channels = defaults ? 2 : 1 + random.nextInt (2);
        const int n = 1 + random.nextInt (random.nextBool() ? 64 : 4096);
        const auto edge = (juce::int64) (std::ldexp (1.0, 10 + random.nextInt (16)) / (s.rate1 * 6.283185307179586 / rate / 15.0));
        const juce::int64 starts[] = { random.nextInt (10000), (random.nextInt64() & 0xffffffffffff) % ((juce::int64) rate * 345600),
                                       juce::jmax ((juce::int64) 0, edge - random.nextInt (n)) };   // section 1's phase crosses 2^e
        const auto start = starts[random.nextInt (3)];
        const auto flush = setting % 2 == 1 ? std::make_optional<juce::ScopedNoDenormals>() : std::nullopt;

        juce::AudioBuffer<float> ones (channels, n), buffer (channels, n), silent (channels, n);
        for (int i = 0; i < channels * n; ++i)
            ones.setSample (i % channels, i / channels, 1.0f), buffer.setSample (i % channels, i / channels, random.nextInt (4) == 0 ? specials[random.nextInt (8)] : random.nextFloat() * 2.0f - 1.0f);
        const auto input = buffer;
        silent.clear();
        for (auto* b : { &ones, &buffer, &silent })
            applyTremolo (*b, channels, s, rate, start);

        ASSERT_TRUE (silent.hasBeenCleared());
        const auto gains = referenceGains (s, channels, rate, start, n);
        for (int i = 0; i < channels * n; ++i)
        {
            const float got = ones.getSample (i % channels, i / channels), want = gains[(size_t) i];
            const bool close = got == std::nextafter (want, got) || std::abs ((double) got - want) <= 1.0e-12;
            ASSERT_TRUE (got == want || (! defaults && close)) << "setting " << setting << " channel " << i % channels << " sample " << i / channels << ": " << got << " for " << want;
            ASSERT_TRUE (sameBits (buffer.getSample (i % channels, i / channels), scaled (input.getSample (i % channels, i / channels), got))) << "setting " << setting;
        }
    }
}

TEST_F (Sync, ASyncedSpeedFollowsEveryHostTempoAndIsWrittenOnlyWhenItsIntegerPartDiffers)
{
    // Speed 1 in blocks that play it at once, speed 2 in bypassed and empty blocks, which follow all the same.
    for (const auto& [syncId, rateId] : { std::pair { "sync1", "rate1" }, { "sync2", "rate2" } })
    {
        auto* rate = processor.apvts.getParameter (rateId);
        const auto range = rate->getNormalisableRange();
        int writes = 0;
        juce::ParameterAttachment counter (*rate, [&writes] (float) { ++writes; });
        setParameter (processor, syncId, 1.0f);
        setParameter (processor, "bypass", rateId[4] == '2' ? 1.0f : 0.0f);
        std::vector<double> tempos { NAN, INFINITY, -5.0, 0.0, 1.0e6, 120.7, 59.3 };   // no position (NaN) or no finite tempo: 120
        for (int t = (int) range.start - 3; t <= (int) range.end + 3; ++t)
            tempos.insert (tempos.end(), { (double) t, t + 0.25, t + 0.999 });

        for (const double bpm : tempos)
        {
            const auto clamped = juce::jlimit ((double) range.start, (double) range.end, std::isfinite (bpm) ? bpm : 120.0);
            const auto held = rate->convertFrom0to1 (rate->convertTo0to1 ((float) clamped));   // the nearest value it can hold

            for (const auto start : { (float) (clamped > range.start + 2 ? clamped - 1.3 : clamped + 1.3), std::floor (held) + 0.3f })   // integer part other or same
            {
                setParameter (processor, rateId, start);
                const auto from = parameterValue (processor, rateId);
                const bool sameIntegerPart = std::trunc (clamped) == std::trunc ((double) from);
                playHead.hasPosition = ! std::isnan (bpm);
                playHead.bpm = bpm;
                writes = 0;
                SCOPED_TRACE (juce::String (rateId) + " at " + juce::String (bpm) + " from " + juce::String (from));
                for (int block = 0; block < 3; ++block)
                    expectBlockMatchesReference (2, rateId[4] == '2' ? 0 : 64, block);
                EXPECT_EQ (writes, sameIntegerPart || from == held ? 0 : 1);
                EXPECT_EQ (parameterValue (processor, rateId), sameIntegerPart ? from : held);
            }
        }
        setParameter (processor, syncId, 0.0f);   // each section follows its own sync only
    }
}
