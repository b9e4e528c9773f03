#include <gtest/gtest.h>

#include "tests/support/TempHome.h"
#include "tests/unit/ProcessorHelpers.h"

#include <cmath>

namespace
{
    /** The tremolo written out from its formulas, one sample at a time, independently of the product. */
    struct Reference
    {
        double rate1 = 120, rate2 = 60, depth1 = 0.5, depth2 = 0.5, volume1 = 1, volume2 = 1, pan1 = -10, pan2 = 10;
        bool linked = false;

        /** The gain of channel `channel` at absolute sample `t`, as float. */
        float gain (int channel, int numChannels, int sampleRate, juce::int64 blockStart, int i) const
        {
            const double k = 6.283185307179586 / (double) sampleRate / 15.0;
            const double inc1 = rate1 * k;
            const double inc2 = linked ? inc1 : rate2 * k;
            const double v1 = volume1, d1 = depth1, p1 = pan1;
            const double v2 = linked ? v1 : volume2, d2 = linked ? d1 : depth2, p2 = linked ? p1 : pan2;

            double ph1 = (double) blockStart * inc1, ph2 = (double) blockStart * inc2;
            for (int s = 0; s < i; ++s) { ph1 += inc1; ph2 += inc2; }

            double g1 = 1.0, g2 = 1.0;
            if (d1 > 0) g1 = v1 > 0 ? (std::cos (ph1) + 1.0) * 0.5 * d1 + (1.0 - d1) : 1.0 - d1;
            if (d2 > 0) g2 = v2 > 0 ? (std::cos (ph2) + 1.0) * 0.5 * v2 * d2 + (1.0 - d2) : 1.0 - d2;
            const double G1 = g1 * v1, G2 = g2 * v2;

            double L1 = 1, R1 = 0, L2 = 1, R2 = 0;
            if (numChannels != 1)
            {
                L1 = 0.5 - p1 / 20.0; R1 = 0.5 + p1 / 20.0;
                L2 = 0.5 - p2 / 20.0; R2 = 0.5 + p2 / 20.0;
            }

            return channel == 0 ? (float) (((G1 * L1 + 1.0) - L1) * ((G2 * L2 + 1.0) - L2))
                                : (float) (((G1 * R1 + 1.0) - R1) * ((G2 * R2 + 1.0) - R2));
        }
    };

    float applyReferenceGain (float sample, float gain)
    {
        return gain == 1.0f ? sample : (gain == 0.0f ? 0.0f : sample * gain);
    }

    struct Tremolo : ::testing::Test
    {
        TempHome home;
        MarlinetAudioProcessor processor;
        Reference reference;
        juce::MidiBuffer midi;

        void SetUp() override { processor.prepareToPlay (48000.0, 512); }

        void set (const char* id, float value)
        {
            setParameter (processor, id, value);
            const double v = parameterValue (processor, id);
            if (juce::String (id) == "rate1") reference.rate1 = v;
            if (juce::String (id) == "rate2") reference.rate2 = v;
            if (juce::String (id) == "depth1") reference.depth1 = v;
            if (juce::String (id) == "depth2") reference.depth2 = v;
            if (juce::String (id) == "volume1") reference.volume1 = v;
            if (juce::String (id) == "volume2") reference.volume2 = v;
            if (juce::String (id) == "pan1") reference.pan1 = v;
            if (juce::String (id) == "pan2") reference.pan2 = v;
            if (juce::String (id) == "link") reference.linked = v != 0;
        }

        static juce::AudioBuffer<float> noise (int channels, int n, int seed)
        {
            juce::Random random (seed);
            juce::AudioBuffer<float> buffer (channels, n);
            for (int c = 0; c < channels; ++c)
                for (int i = 0; i < n; ++i)
                    buffer.setSample (c, i, random.nextFloat() * 2.0f - 1.0f);
            return buffer;
        }

        /** Runs one block of noise and checks every sample bit for bit against the reference. */
        void expectBlockMatchesReference (int channels, int n, int seed)
        {
            // The raw parameter values are the ones the reference must use.
            reference.rate1 = parameterValue (processor, "rate1");
            reference.rate2 = parameterValue (processor, "rate2");

            auto buffer = noise (channels, n, seed);
            const auto input = buffer;
            const auto start = processor.sampleCounter;
            processor.processBlock (buffer, midi);

            for (int c = 0; c < channels; ++c)
                for (int i = 0; i < n; ++i)
                {
                    const float expected = applyReferenceGain (input.getSample (c, i), reference.gain (c, channels, 48000, start, i));
                    ASSERT_EQ (buffer.getSample (c, i), expected) << "channel " << c << " sample " << i;
                }

            EXPECT_EQ (processor.sampleCounter, start + n);
        }
    };
}

TEST_F (Tremolo, StereoDefaultsMatchTheReferenceOverSeveralBlocks)
{
    for (int block = 0; block < 4; ++block)
        expectBlockMatchesReference (2, 300 + block, block);
}

TEST_F (Tremolo, DefaultsGiveEachChannelItsOwnSectionBetweenHalfAndFull)
{
    juce::AudioBuffer<float> buffer (2, 6000);
    for (int c = 0; c < 2; ++c)
        juce::FloatVectorOperations::fill (buffer.getWritePointer (c), 1.0f, 6000);
    processor.processBlock (buffer, midi);

    // 120 BPM at 48 kHz: one cycle every 6000 samples on channel 0.
    EXPECT_NEAR (buffer.getSample (0, 0), 1.0f, 1e-6);
    EXPECT_NEAR (buffer.getSample (0, 3000), 0.5f, 1e-6);
    const auto range0 = buffer.findMinMax (0, 0, 6000);
    EXPECT_NEAR (range0.getStart(), 0.5f, 1e-6);
    EXPECT_NEAR (range0.getEnd(), 1.0f, 1e-6);
    // Section 2 at 60 BPM has half the speed: a quarter cycle in.
    EXPECT_NEAR (buffer.getSample (1, 3000), 0.75f, 1e-4);
}

TEST_F (Tremolo, MonoUsesBothSectionsWhateverThePans)
{
    processor.releaseResources();
    juce::AudioProcessor::BusesLayout mono;
    mono.inputBuses.add (juce::AudioChannelSet::mono());
    mono.outputBuses.add (juce::AudioChannelSet::mono());
    ASSERT_TRUE (processor.setBusesLayout (mono));
    processor.prepareToPlay (48000.0, 512);

    set ("pan1", 3.0f);
    set ("pan2", -7.0f);
    set ("volume2", 2.0f);
    expectBlockMatchesReference (1, 777, 11);
}

TEST_F (Tremolo, CentredPansAndLinkMatchTheReference)
{
    set ("pan1", 0.0f);
    set ("pan2", 0.0f);
    set ("depth2", 0.8f);
    expectBlockMatchesReference (2, 500, 3);

    set ("link", 1.0f);
    set ("volume1", 1.7f);
    expectBlockMatchesReference (2, 500, 4);
}

TEST_F (Tremolo, SectionTwoCarriesItsVolumeTwice)
{
    set ("volume2", 2.0f);
    set ("depth1", 0.0f);
    juce::AudioBuffer<float> buffer (2, 6000 * 2);
    for (int c = 0; c < 2; ++c)
        juce::FloatVectorOperations::fill (buffer.getWritePointer (c), 1.0f, buffer.getNumSamples());
    processor.processBlock (buffer, midi);

    const auto range = buffer.findMinMax (1, 0, buffer.getNumSamples());
    EXPECT_NEAR (range.getStart(), 1.0f, 1e-5);
    EXPECT_NEAR (range.getEnd(), 3.0f, 1e-5);
}

TEST_F (Tremolo, ExactUnityAndZeroGainsLeaveOrClearTheSamples)
{
    // Section 1 unmodulated at volume 1: channel 0 stays bit-identical.
    set ("depth1", 0.0f);
    auto buffer = noise (2, 400, 5);
    const auto input = buffer;
    processor.processBlock (buffer, midi);
    for (int i = 0; i < 400; ++i)
        ASSERT_EQ (buffer.getSample (0, i), input.getSample (0, i));

    // Volume 0: channel 0 becomes exact zeros, channel 1 ignores section 1.
    set ("depth1", 0.5f);
    set ("volume1", 0.0f);
    expectBlockMatchesReference (2, 400, 6);
    buffer = noise (2, 400, 7);
    processor.processBlock (buffer, midi);
    for (int i = 0; i < 400; ++i)
        ASSERT_EQ (buffer.getSample (0, i), 0.0f);
}

TEST_F (Tremolo, BypassAndZeroDepthLeaveTheBufferButAdvanceTheCounter)
{
    for (auto mode : { 0, 1 })
    {
        if (mode == 0)
            set ("bypass", 1.0f);
        else
        {
            set ("bypass", 0.0f);
            set ("depth1", 0.0f);
            set ("depth2", 0.0f);
            set ("volume1", 0.0f); // has no effect when both depths are 0
        }

        auto buffer = noise (2, 256, 8);
        const auto input = buffer;
        const auto before = processor.sampleCounter;
        processor.processBlock (buffer, midi);
        EXPECT_EQ (processor.sampleCounter, before + 256);

        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < 256; ++i)
                ASSERT_EQ (buffer.getSample (c, i), input.getSample (c, i));
    }
}

TEST_F (Tremolo, PhaseFollowsTheRunningCountAfterBypassAndEmptyBlocks)
{
    expectBlockMatchesReference (2, 100, 1);
    set ("bypass", 1.0f);
    juce::AudioBuffer<float> skipped (2, 1234);
    processor.processBlock (skipped, midi);
    set ("bypass", 0.0f);

    juce::AudioBuffer<float> empty (2, 0);
    processor.processBlock (empty, midi);
    EXPECT_EQ (processor.sampleCounter, 1334);

    expectBlockMatchesReference (2, 100, 2);
    EXPECT_DOUBLE_EQ (processor.phaseIncrement1, 120.0 * 6.283185307179586 / 48000.0 / 15.0);
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
        int notifications = 0;

        struct Counter : juce::AudioProcessorParameter::Listener
        {
            int& count;
            explicit Counter (int& c) : count (c) {}
            void parameterValueChanged (int, float) override { ++count; }
            void parameterGestureChanged (int, bool) override {}
        };

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
}

TEST_F (Sync, AHostTempoOutsideTheRangeIsClampedAndWrittenOnce)
{
    Counter counter (notifications);
    processor.apvts.getParameter ("rate1")->addListener (&counter);
    set ("sync1", 1.0f);
    playHead.bpm = 200.0;

    runBlock();
    EXPECT_EQ (parameterValue (processor, "rate1"), 160.0f);
    EXPECT_DOUBLE_EQ (processor.phaseIncrement1, 160.0 * 6.283185307179586 / 48000.0 / 15.0);

    runBlock();
    runBlock();
    EXPECT_EQ (notifications, 1);
    processor.apvts.getParameter ("rate1")->removeListener (&counter);

    // The state tree catches up once the message thread flushes.
    const auto tree = treeOf (stateOf (processor));
    EXPECT_EQ ((double) tree.getChildWithProperty ("id", "rate1")["value"], 160.0);
}

TEST_F (Sync, EqualIntegerPartsWriteNothing)
{
    set ("sync1", 1.0f);
    set ("rate1", 120.2f);
    playHead.bpm = 120.7;
    runBlock();
    EXPECT_NEAR (parameterValue (processor, "rate1"), 120.2f, 1e-4);
}

TEST_F (Sync, WithoutTempoBothSyncedSpeedsMoveTo120)
{
    set ("sync1", 1.0f);
    set ("sync2", 1.0f);
    set ("rate1", 80.0f);

    playHead.hasPosition = false;
    runBlock();
    EXPECT_FLOAT_EQ (parameterValue (processor, "rate1"), 120.0f);
    EXPECT_EQ (parameterValue (processor, "rate2"), 90.0f);

    set ("rate1", 80.0f);
    playHead.hasPosition = true;
    playHead.bpm.reset();
    runBlock();
    EXPECT_FLOAT_EQ (parameterValue (processor, "rate1"), 120.0f);
}

TEST_F (Sync, SpeedFollowsEvenWhenBypassedOrSilent)
{
    set ("sync2", 1.0f);
    set ("bypass", 1.0f);
    playHead.bpm = 33.0;
    runBlock();
    EXPECT_FLOAT_EQ (parameterValue (processor, "rate2"), 33.0f);

    set ("bypass", 0.0f);
    set ("depth1", 0.0f);
    set ("depth2", 0.0f);
    playHead.bpm = 44.0;
    runBlock (0);
    EXPECT_FLOAT_EQ (parameterValue (processor, "rate2"), 44.0f);
    EXPECT_FLOAT_EQ (parameterValue (processor, "rate1"), 120.0f);
}

TEST_F (Sync, TheSameBlockAlreadyRunsAtTheNewSpeed)
{
    set ("sync1", 1.0f);
    playHead.bpm = 150.0;
    const auto start = processor.sampleCounter;
    juce::AudioBuffer<float> buffer (2, 200);
    for (int c = 0; c < 2; ++c)
        juce::FloatVectorOperations::fill (buffer.getWritePointer (c), 1.0f, 200);
    processor.processBlock (buffer, midi);

    reference.rate1 = parameterValue (processor, "rate1");
    for (int i = 0; i < 200; ++i)
        ASSERT_EQ (buffer.getSample (0, i), reference.gain (0, 2, 48000, start, i));
}
