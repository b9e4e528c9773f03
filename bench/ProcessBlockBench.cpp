#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>

#include "processor/PluginProcessor.h"
#include "tests/support/TempHome.h"

// processBlock at 48 kHz stereo, in nanoseconds per frame, beside a plain applyGain over
// the same buffer as the floor.

namespace
{
    void setParameter (MarlinetAudioProcessor& p, const char* id, float value)
    {
        auto* parameter = p.apvts.getParameter (id);
        parameter->setValueNotifyingHost (parameter->convertTo0to1 (value));
    }

    void fill (juce::AudioBuffer<float>& buffer)
    {
        juce::Random random (1);
        for (int c = 0; c < buffer.getNumChannels(); ++c)
            for (int i = 0; i < buffer.getNumSamples(); ++i)
                buffer.setSample (c, i, random.nextFloat() * 2.0f - 1.0f);
    }

    void processBlock (benchmark::State& state, bool bothModulating)
    {
        juce::ScopedJuceInitialiser_GUI juce;
        TempHome home;
        MarlinetAudioProcessor processor;
        const int frames = (int) state.range (0);
        processor.prepareToPlay (48000.0, frames);

        if (bothModulating)
        {
            setParameter (processor, "pan1", 0.0f);
            setParameter (processor, "pan2", 0.0f);
            setParameter (processor, "depth1", 0.7f);
            setParameter (processor, "depth2", 0.9f);
        }

        juce::AudioBuffer<float> input (2, frames);
        fill (input);
        auto buffer = input;
        juce::MidiBuffer midi;

        for (auto _ : state)
        {
            processor.processBlock (buffer, midi);
            benchmark::DoNotOptimize (buffer.getReadPointer (0));
            // Keep the signal from decaying into denormals or zeros. The first few samples
            // tell the decay as well as all of them, and a copy refills at next to no cost.
            if (buffer.getMagnitude (0, 0, juce::jmin (frames, 16)) < 1.0e-3f)
                buffer.makeCopyOf (input, true);
        }

        state.SetItemsProcessed (state.iterations() * frames);
    }

    void ApplyGainFloor (benchmark::State& state)
    {
        const int frames = (int) state.range (0);
        juce::AudioBuffer<float> buffer (2, frames);
        fill (buffer);
        float gain = 0.999f;

        for (auto _ : state)
        {
            buffer.applyGain (0, 0, frames, gain);
            buffer.applyGain (1, 0, frames, 1.0f / gain);
            benchmark::DoNotOptimize (buffer.getReadPointer (0));
            gain = 1.0f / gain;
        }

        state.SetItemsProcessed (state.iterations() * frames);
    }

    void DefaultSettings (benchmark::State& state)   { processBlock (state, false); }
    void BothModulating (benchmark::State& state)    { processBlock (state, true); }
}

BENCHMARK (ApplyGainFloor)->Arg (64)->Arg (512)->Arg (4096);
BENCHMARK (DefaultSettings)->Arg (64)->Arg (512)->Arg (4096);
BENCHMARK (BothModulating)->Arg (64)->Arg (512)->Arg (4096);

namespace
{
    /** Console output plus, at the end, nanoseconds per frame and the ratio to the floor. */
    class FrameReporter : public benchmark::ConsoleReporter
    {
    public:
        void ReportRuns (const std::vector<Run>& runs) override
        {
            ConsoleReporter::ReportRuns (runs);

            for (const auto& run : runs)
            {
                const auto perSecond = run.counters.find ("items_per_second");
                if (perSecond != run.counters.end() && perSecond->second.value > 0.0)
                    nanosPerFrame[run.benchmark_name()] = 1.0e9 / perSecond->second.value;
            }
        }

        void printSummary() const
        {
            std::printf ("\n%-28s %12s %10s\n", "benchmark", "ns/frame", "x floor");

            for (const auto& [name, nanos] : nanosPerFrame)
            {
                const auto frames = name.substr (name.find ('/'));
                const auto floor = nanosPerFrame.find ("ApplyGainFloor" + frames);
                const double ratio = floor != nanosPerFrame.end() ? nanos / floor->second : 0.0;
                std::printf ("%-28s %12.3f %10.1f\n", name.c_str(), nanos, ratio);
            }
        }

    private:
        std::map<std::string, double> nanosPerFrame;
    };
}

int main (int argc, char** argv)
{
    benchmark::Initialize (&argc, argv);
    FrameReporter reporter;
    benchmark::RunSpecifiedBenchmarks (&reporter);
    reporter.printSummary();
    benchmark::Shutdown();
    return 0;
}
