#include "processor/PluginProcessor.h"
#include "tests/support/TempHome.h"

#include <cmath>
#include <cstdlib>

// One libFuzzer target over every reader of outside bytes, chosen by MARLINET_FUZZ_MODE:
// "state" (host state, the default), "preset" (a preset file) or "cache" (files.xml read by a
// starting instance). After each input the plug-in must still play finite audio, hold finite
// parameters inside their ranges, and save a state that reloads to itself.

// The fuzzer runs the processor headless: no editor is linked.
juce::AudioProcessorEditor* MarlinetAudioProcessor::createEditor() { return nullptr; }

namespace
{
    void check (bool condition)
    {
        if (! condition)
            std::abort();
    }

    struct Harness
    {
        juce::ScopedJuceInitialiser_GUI juce;
        TempHome home;
        juce::String mode { juce::SystemStats::getEnvironmentVariable ("MARLINET_FUZZ_MODE", "state") };
        juce::File preset = home.userPresetDirectory().getChildFile ("Fuzzed.preset");
        juce::File cache = home.applicationDirectory().getChildFile ("files.xml");
        std::unique_ptr<MarlinetAudioProcessor> processor;
        juce::MemoryBlock initial;

        Harness()
        {
            // A default preset and a user preset give a start something to load and list.
            MarlinetAudioProcessor first;
            first.getParameters()[0]->setValueNotifyingHost (0.25f);
            juce::MemoryBlock state;
            first.getStateInformation (state);
            home.factoryDirectory().getChildFile ("Marlinet By Quenwick.preset").replaceWithData (state.getData(), state.getSize());
            home.userPresetDirectory().getChildFile ("Mine.preset").replaceWithData (state.getData(), state.getSize());
            processor = std::make_unique<MarlinetAudioProcessor>();
            processor->prepareToPlay (48000.0, 64);
            processor->getStateInformation (initial);
        }

        void run (const uint8_t* data, size_t size)
        {
            // Each input starts from the same state, so any finding replays on its own.
            processor->setStateInformation (initial.getData(), (int) initial.getSize());

            if (mode == "cache")
            {
                cache.replaceWithData (data, size);
                processor = std::make_unique<MarlinetAudioProcessor>();
                processor->prepareToPlay (48000.0, 64);
            }
            else if (mode == "preset")
            {
                preset.replaceWithData (data, size);
                processor->menu->loadPresetFile (preset);
            }
            else
            {
                processor->setStateInformation (data, (int) size);
            }

            checkAlive();
        }

        void checkAlive()
        {
            juce::AudioBuffer<float> buffer (2, 64);
            for (int i = 0; i < 64; ++i)
                buffer.setSample (i % 2, i, 1.0f - (float) i / 32.0f);
            juce::MidiBuffer midi;
            processor->processBlock (buffer, midi);

            for (int i = 0; i < 64; ++i)
                check (std::isfinite (buffer.getSample (0, i)) && std::isfinite (buffer.getSample (1, i)));

            for (auto* parameter : processor->getParameters())
            {
                const auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (parameter);
                const auto value = processor->apvts.getRawParameterValue (ranged->getParameterID())->load();
                const auto& range = ranged->getNormalisableRange();
                check (std::isfinite (value) && value >= range.start && value <= range.end);
            }

            juce::MemoryBlock saved, again;
            processor->getStateInformation (saved);
            processor->setStateInformation (saved.getData(), (int) saved.getSize());
            processor->getStateInformation (again);
            check (saved == again);
        }
    };
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    static Harness harness;

    if (size <= (size_t) std::numeric_limits<int>::max())
        harness.run (data, size);

    return 0;
}
