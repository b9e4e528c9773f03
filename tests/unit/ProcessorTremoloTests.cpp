#include <gtest/gtest.h>

#include "processor/Tremolo.h"
#include "tests/support/TempHome.h"
#include "tests/support/Helpers.h"

#include <cmath>
#include <cstring>
#include <optional>

namespace
{
    /** The tremolo written out from its formulas, independently of the product: the gain of
        each channel over n samples from the absolute count start, at [i * channels + c]. */
    std::vector<float> referenceGains (const TremoloSettings& s, int channels, int rate, juce::int64 start, int n)
    {
        const bool linked = s.linked, mono = channels == 1;
        const double k = 6.283185307179586 / rate / 15.0;
        const double inc1 = s.rate1 * k, inc2 = linked ? inc1 : s.rate2 * k;
        const double v1 = s.volume1, d1 = s.depth1, p1 = s.pan1;
        const double v2 = linked ? v1 : s.volume2, d2 = linked ? d1 : s.depth2, p2 = linked ? p1 : s.pan2;
        const double a1[] = { mono ? 1.0 : 0.5 - p1 / 20.0, 0.5 + p1 / 20.0 };
        const double a2[] = { mono ? 1.0 : 0.5 - p2 / 20.0, 0.5 + p2 / 20.0 };

        std::vector<float> gains;
        double ph1 = (double) start * inc1, ph2 = (double) start * inc2;

        for (int i = 0; i < n; ++i, ph1 += inc1, ph2 += inc2)
        {
            const double g1 = d1 <= 0 ? 1.0 : (v1 > 0 ? (std::cos (ph1) + 1.0) * 0.5 * d1 + (1.0 - d1) : 1.0 - d1);
            const double g2 = d2 <= 0 ? 1.0 : (v2 > 0 ? (std::cos (ph2) + 1.0) * 0.5 * v2 * d2 + (1.0 - d2) : 1.0 - d2);
            const double G1 = g1 * v1, G2 = g2 * v2;

            for (int c = 0; c < channels; ++c)
                gains.push_back ((float) (((G1 * a1[c] + 1.0) - a1[c]) * ((G2 * a2[c] + 1.0) - a2[c])));
        }

        return gains;
    }

    /** The buffer's one-sample gain rule, as the product must apply it. */
    float scaled (float in, float gain)  { return gain == 1.0f ? in : (gain == 0.0f ? 0.0f : in * gain); }

    bool sameBits (float a, float b)  { return std::memcmp (&a, &b, sizeof (a)) == 0; }

    juce::AudioBuffer<float> noise (int channels, int n, int seed)
    {
        juce::Random random (seed);
        juce::AudioBuffer<float> buffer (channels, n);
        for (int c = 0; c < channels; ++c)
            for (int i = 0; i < n; ++i)
                buffer.setSample (c, i, random.nextFloat() * 2.0f - 1.0f);
        return buffer;
    }

    struct Tremolo : ::testing::Test
    {
        TempHome home;
        MarlinetAudioProcessor processor;
        juce::MidiBuffer midi;

        void SetUp() override { processor.prepareToPlay (48000.0, 512); }

        void useLayout (const juce::AudioChannelSet& set)
        {
            processor.releaseResources();
            juce::AudioProcessor::BusesLayout layout;
            layout.inputBuses.add (set);
            layout.outputBuses.add (set);
            ASSERT_TRUE (processor.setBusesLayout (layout));
            processor.prepareToPlay (48000.0, 512);
        }

        /** Runs one block of noise and checks every sample, bit for bit, against the reference. */
        void expectBlockMatchesReference (int channels, int n, int seed)
        {
            auto buffer = noise (channels, n, seed);
            const auto input = buffer;
            const auto start = processor.sampleCounter;
            processor.processBlock (buffer, midi);

            auto v = [this] (const char* id) { return parameterValue (processor, id); };
            const TremoloSettings s { v ("rate1"), v ("rate2"), v ("depth1"), v ("depth2"), v ("volume1"), v ("volume2"),
                                      v ("pan1"), v ("pan2"), v ("link") != 0.0f };
            const auto gains = referenceGains (s, channels, 48000, start, n);

            for (int c = 0; c < channels; ++c)
                for (int i = 0; i < n; ++i)
                    ASSERT_EQ (buffer.getSample (c, i), scaled (input.getSample (c, i), gains[(size_t) (i * channels + c)]))
                        << "channel " << c << " sample " << i;

            EXPECT_EQ (processor.sampleCounter, start + n);
        }

        /** Processes a block of ones, so the buffer then holds the gains themselves. */
        juce::AudioBuffer<float> gainsOf (int n)
        {
            juce::AudioBuffer<float> buffer (2, n);
            for (int c = 0; c < 2; ++c)
                juce::FloatVectorOperations::fill (buffer.getWritePointer (c), 1.0f, n);
            processor.processBlock (buffer, midi);
            return buffer;
        }
    };
}

TEST_F (Tremolo, MatchesTheReferenceInStereoMonoCentredAndLinked)
{
    for (int block = 0; block < 3; ++block)
        expectBlockMatchesReference (2, 300 + block, block);

    // Depths and volumes that are no powers of two: every rounding step shows.
    setParameter (processor, "pan1", 0.0f);
    setParameter (processor, "pan2", 0.0f);
    setParameter (processor, "depth2", 0.83f);
    setParameter (processor, "volume2", 1.37f);
    expectBlockMatchesReference (2, 500, 3);

    setParameter (processor, "link", 1.0f);
    setParameter (processor, "volume1", 1.7f);
    setParameter (processor, "depth1", 0.61f);
    expectBlockMatchesReference (2, 500, 4);

    // Mono uses both sections on its one channel, whatever the pans.
    setParameter (processor, "link", 0.0f);
    setParameter (processor, "pan1", 3.0f);
    setParameter (processor, "volume2", 2.0f);
    useLayout (juce::AudioChannelSet::mono());
    expectBlockMatchesReference (1, 777, 11);
}

TEST_F (Tremolo, DefaultsGiveEachChannelItsOwnSectionBetweenHalfAndFull)
{
    const auto gains = gainsOf (6000);

    // 120 BPM at 48 kHz: one cycle every 6000 samples on channel 0.
    EXPECT_NEAR (gains.getSample (0, 0), 1.0f, 1e-6);
    EXPECT_NEAR (gains.getSample (0, 3000), 0.5f, 1e-6);
    EXPECT_NEAR (gains.findMinMax (0, 0, 6000).getStart(), 0.5f, 1e-6);
    // Section 2 at 60 BPM runs at half the speed: a quarter cycle in.
    EXPECT_NEAR (gains.getSample (1, 3000), 0.75f, 1e-4);
}

TEST_F (Tremolo, SectionTwoCarriesItsVolumeTwice)
{
    setParameter (processor, "volume2", 2.0f);
    setParameter (processor, "depth1", 0.0f);
    const auto gains = gainsOf (12000);
    EXPECT_NEAR (gains.findMinMax (1, 0, 12000).getStart(), 1.0f, 1e-5);
    EXPECT_NEAR (gains.findMinMax (1, 0, 12000).getEnd(), 3.0f, 1e-5);
}

TEST_F (Tremolo, ExactUnityAndZeroGainsLeaveOrClearTheSamples)
{
    // Section 1 unmodulated at volume 1: channel 0 stays bit-identical.
    setParameter (processor, "depth1", 0.0f);
    auto buffer = noise (2, 400, 5);
    const auto input = buffer;
    processor.processBlock (buffer, midi);
    for (int i = 0; i < 400; ++i)
        ASSERT_EQ (buffer.getSample (0, i), input.getSample (0, i));

    // Volume 0: channel 0 becomes exact zeros, channel 1 ignores section 1.
    setParameter (processor, "depth1", 0.5f);
    setParameter (processor, "volume1", 0.0f);
    expectBlockMatchesReference (2, 400, 6);
    const auto gains = gainsOf (400);
    for (int i = 0; i < 400; ++i)
        ASSERT_EQ (gains.getSample (0, i), 0.0f);
}

TEST_F (Tremolo, BypassAndZeroDepthLeaveTheBufferButTheCountRunsOn)
{
    expectBlockMatchesReference (2, 100, 1);

    for (auto zeroDepths : { false, true })
    {
        setParameter (processor, "bypass", zeroDepths ? 0.0f : 1.0f);
        setParameter (processor, "depth1", zeroDepths ? 0.0f : 0.5f);
        setParameter (processor, "depth2", zeroDepths ? 0.0f : 0.5f);
        setParameter (processor, "volume1", zeroDepths ? 0.0f : 1.0f); // no effect with both depths 0

        auto buffer = noise (2, 256, 8);
        const auto input = buffer;
        processor.processBlock (buffer, midi);

        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < 256; ++i)
                ASSERT_EQ (buffer.getSample (c, i), input.getSample (c, i));
    }

    juce::AudioBuffer<float> empty (2, 0);
    processor.processBlock (empty, midi);
    EXPECT_EQ (processor.sampleCounter, 612);

    // Back on, the phases continue where the running count puts them.
    setParameter (processor, "depth1", 0.5f);
    setParameter (processor, "depth2", 0.5f);
    setParameter (processor, "volume1", 1.0f);
    expectBlockMatchesReference (2, 100, 2);
    EXPECT_DOUBLE_EQ (processor.phaseIncrement1, 120.0 * 6.283185307179586 / 48000.0 / 15.0);
}

TEST (TremoloSweep, WithinAnUlpOfTheSerialFormulaAndExactAtTheDefaults)
{
    // Settings over and beyond the parameter ranges, block sizes 1 to 4096, start counts up to
    // days of audio (the running phase sum then rounds far from start + i * inc) and where the
    // phase passes a power of two (its rounding changes there); half of them with denormals
    // flushed, as in processBlock. Ones come out as the gains themselves, specials as the gain
    // rule makes them of those gains. Every 25th setting is the defaults, matched bit for bit.
    juce::Random random (7);
    const float v = 3.1622776985168457f, specials[] = { INFINITY, -INFINITY, NAN, std::numeric_limits<float>::signaling_NaN(),
                                                        -0.0f, 0.0f, 1.0e-40f, -1.0e-45f };
    auto pick = [&random] (std::initializer_list<float> often, float high, float low = 0.0f)
    {
        return random.nextBool() ? often.begin()[random.nextInt ((int) often.size())] : low + (high - low) * random.nextFloat();
    };

    for (int setting = 0; setting < 1000; ++setting)
    {
        const bool defaults = setting % 25 == 0;
        const auto s = defaults ? TremoloSettings() : TremoloSettings { pick ({ 69, 160 }, 400, 1), pick ({ 19, 90 }, 200, 1),
            pick ({ 0, 1 }, 1), pick ({ 0, 1 }, 1), pick ({ 0, 1, v }, v), pick ({ 0, 1, v }, v),
            pick ({ -10, 0, 10 }, 10, -10), pick ({ -10, 0, 10 }, 10, -10), random.nextBool() };
        const int rate = defaults ? 48000 : 44100 + random.nextInt (147901), channels = defaults ? 2 : 1 + random.nextInt (2);
        const int n = 1 + random.nextInt (random.nextBool() ? 64 : 4096);
        const auto edge = (juce::int64) (std::ldexp (1.0, 10 + random.nextInt (16)) / (s.rate1 * 6.283185307179586 / rate / 15.0));
        const juce::int64 starts[] = { random.nextInt (10000), (random.nextInt64() & 0xffffffffffff) % ((juce::int64) rate * 345600),
                                       juce::jmax ((juce::int64) 0, edge - random.nextInt (n)) };   // section 1's phase crosses 2^e
        const auto start = starts[random.nextInt (3)];
        std::optional<juce::ScopedNoDenormals> flush;
        if (setting % 2 == 1)
            flush.emplace();

        juce::AudioBuffer<float> ones (channels, n), buffer (channels, n), silent (channels, n);
        for (int c = 0; c < channels; ++c)
            for (int i = 0; i < n; ++i)
                ones.setSample (c, i, 1.0f), buffer.setSample (c, i, random.nextInt (4) == 0 ? specials[random.nextInt (8)] : random.nextFloat() * 2.0f - 1.0f);

        const auto input = buffer;
        silent.clear();
        for (auto* b : { &ones, &buffer, &silent })
            applyTremolo (*b, channels, s, rate, start);

        ASSERT_TRUE (silent.hasBeenCleared());
        const auto gains = referenceGains (s, channels, rate, start, n);

        for (int c = 0; c < channels; ++c)
            for (int i = 0; i < n; ++i)
            {
                const float got = ones.getSample (c, i), want = gains[(size_t) (i * channels + c)];
                const bool close = got == std::nextafter (want, got) || std::abs ((double) got - want) <= 1.0e-12;
                ASSERT_TRUE (got == want || (! defaults && close)) << "setting " << setting << " channel " << c << " sample " << i << ": " << got << " for " << want;
                ASSERT_TRUE (sameBits (buffer.getSample (c, i), scaled (input.getSample (c, i), got))) << "setting " << setting << " sample " << i;
            }
    }
}

TEST_F (Tremolo, MidiPassesUntouched)
{
    midi.addEvent (juce::MidiMessage::noteOn (1, 60, 0.5f), 3);
    juce::AudioBuffer<float> buffer (2, 64);
    processor.processBlock (buffer, midi);
    ASSERT_EQ (midi.getNumEvents(), 1);
    EXPECT_TRUE ((*midi.begin()).getMessage().isNoteOn());
}

namespace
{
    struct Sync : Tremolo
    {
        FakePlayHead playHead;

        void SetUp() override
        {
            Tremolo::SetUp();
            processor.setPlayHead (&playHead);
        }

        void runBlock (int n = 64)
        {
            juce::AudioBuffer<float> buffer (2, n);
            buffer.clear();
            processor.processBlock (buffer, midi);
        }
    };

    struct NotificationCounter : juce::AudioProcessorParameter::Listener
    {
        int count = 0;
        void parameterValueChanged (int, float) override   { ++count; }
        void parameterGestureChanged (int, bool) override  {}
    };
}

TEST_F (Sync, ASyncedSpeedFollowsEveryHostTempoAndIsWrittenOnlyWhenItsIntegerPartDiffers)
{
    NotificationCounter writes;
    const double k = 6.283185307179586 / 48000.0 / 15.0;

    for (const auto& [syncId, rateId] : { std::pair { "sync1", "rate1" }, { "sync2", "rate2" } })
    {
        auto* rate = processor.apvts.getParameter (rateId);
        const auto range = rate->getNormalisableRange();
        rate->addListener (&writes);
        setParameter (processor, syncId, 1.0f);
        std::vector<double> tempos { -5.0, 0.0, 1.0e6, 120.7, 59.3 };
        for (int t = (int) range.start - 3; t <= (int) range.end + 3; ++t)
            tempos.insert (tempos.end(), { (double) t, t + 0.25, t + 0.999 });

        for (const double bpm : tempos)
        {
            const auto clamped = juce::jlimit ((double) range.start, (double) range.end, bpm);
            const auto held = rate->convertFrom0to1 (rate->convertTo0to1 ((float) clamped));   // the nearest value it can hold

            // From a speed whose integer part differs, and from one that shares the held value's.
            for (const auto start : { (float) (clamped > range.start + 2 ? clamped - 1.3 : clamped + 1.3), std::floor (held) + 0.3f })
            {
                setParameter (processor, rateId, start);
                const auto from = parameterValue (processor, rateId);
                playHead.bpm = bpm;
                writes.count = 0;
                for (int block = 0; block < 3; ++block)
                    runBlock();

                const auto speed = parameterValue (processor, rateId);
                const bool sameIntegerPart = std::trunc (clamped) == std::trunc ((double) from);
                SCOPED_TRACE (juce::String (rateId) + " at " + juce::String (bpm) + " from " + juce::String (from));
                EXPECT_EQ (writes.count, sameIntegerPart || from == held ? 0 : 1);
                EXPECT_EQ (speed, sameIntegerPart ? from : held);
                EXPECT_DOUBLE_EQ (rateId[4] == '1' ? processor.phaseIncrement1 : processor.phaseIncrement2, (double) speed * k);
            }
        }

        rate->removeListener (&writes);
        setParameter (processor, syncId, 0.0f);
    }

    // The state tree catches up: a save flushes the value the audio thread wrote.
    EXPECT_EQ ((float) (double) treeOf (stateOf (processor)).getChildWithProperty ("id", "rate2")["value"], parameterValue (processor, "rate2"));
}

TEST_F (Sync, WithoutTempoBothSyncedSpeedsMoveTo120)
{
    setParameter (processor, "sync1", 1.0f);
    setParameter (processor, "sync2", 1.0f);

    for (auto noPosition : { true, false })
    {
        setParameter (processor, "rate1", 80.0f);
        playHead.hasPosition = ! noPosition;
        runBlock();
        EXPECT_FLOAT_EQ (parameterValue (processor, "rate1"), 120.0f);
        EXPECT_EQ (parameterValue (processor, "rate2"), 90.0f);
    }
}

TEST_F (Sync, SpeedFollowsInBypassedSilentAndEmptyBlocksAndTheSameBlockUsesIt)
{
    setParameter (processor, "sync2", 1.0f);
    setParameter (processor, "bypass", 1.0f);
    playHead.bpm = 33.0;
    runBlock();
    EXPECT_FLOAT_EQ (parameterValue (processor, "rate2"), 33.0f);

    setParameter (processor, "bypass", 0.0f);
    setParameter (processor, "depth1", 0.0f);
    setParameter (processor, "depth2", 0.0f);
    playHead.bpm = 44.0;
    runBlock (0);
    EXPECT_FLOAT_EQ (parameterValue (processor, "rate2"), 44.0f);
    EXPECT_FLOAT_EQ (parameterValue (processor, "rate1"), 120.0f);

    setParameter (processor, "depth2", 0.5f);
    playHead.bpm = 77.0;
    expectBlockMatchesReference (2, 200, 9);
    EXPECT_FLOAT_EQ (parameterValue (processor, "rate2"), 77.0f);
}
