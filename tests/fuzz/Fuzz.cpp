#include "processor/PluginProcessor.h"
#include "tests/support/TempHome.h"

// One libFuzzer target over the readers of outside bytes, by MARLINET_FUZZ_MODE: "state" (the default), "preset" or "cache"
// (files.xml read at start). After each input the plug-in plays finite audio, holds its parameters in range and saves a state
// that reloads to itself. Headless: no editor is linked.
juce::AudioProcessorEditor* MarlinetAudioProcessor::createEditor() { return nullptr; }

namespace
{
    void check (bool condition)  { if (! condition) std::abort(); }

    struct Harness
    {
        juce::ScopedJuceInitialiser_GUI juce;
        TempHome home;
        const juce::String mode = juce::SystemStats::getEnvironmentVariable ("MARLINET_FUZZ_MODE", "state");
        const juce::File file = mode == "cache" ? home.applicationDirectory().getChildFile ("files.xml") : home.userPresetDirectory().getChildFile ("Fuzzed.preset");
        std::unique_ptr<MarlinetAudioProcessor> processor;
        juce::MemoryBlock initial;

        Harness()
        {
            // A default preset and a user preset give a start something to load and list.
            start();
            processor->getParameters()[0]->setValueNotifyingHost (0.25f);
            processor->getStateInformation (initial);
            for (const auto& preset : { home.factoryDirectory().getChildFile ("Marlinet By Quenwick.preset"), home.userPresetDirectory().getChildFile ("Mine.preset") })
                preset.replaceWithData (initial.getData(), initial.getSize());
            start();
            processor->getStateInformation (initial);
        }

        void start()  { processor = std::make_unique<MarlinetAudioProcessor>(); processor->prepareToPlay (48000.0, 64); }

        void run (const uint8_t* data, size_t size)
        {
            // Each input starts from the same state, so any finding replays on its own.
            processor->setStateInformation (initial.getData(), (int) initial.getSize());
            if (mode != "cache" && mode != "preset")
                processor->setStateInformation (data, (int) size);
            else if (file.replaceWithData (data, size); mode == "cache")
                start();
            else
                processor->menu->loadPresetFile (file);

            juce::AudioBuffer<float> buffer (2, 64);
            for (int i = 0; i < 128; ++i)
                buffer.setSample (i % 2, i / 2, 1.0f - (float) i / 64.0f);
            juce::MidiBuffer midi;
            processor->processBlock (buffer, midi);
            check (std::isfinite (buffer.getRMSLevel (0, 0, 64)) && std::isfinite (buffer.getRMSLevel (1, 0, 64)));

            for (auto* parameter : processor->getParameters())
            {
                auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (parameter);
                const auto value = processor->apvts.getRawParameterValue (ranged->getParameterID())->load();
                check (value >= ranged->getNormalisableRange().start && value <= ranged->getNormalisableRange().end);   // NaN fails both
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
