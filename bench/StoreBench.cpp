#include <benchmark/benchmark.h>

#include "processor/PluginProcessor.h"
#include "tests/support/TempHome.h"

// The preset library at scale: 10,000 presets in 100 folders of the Factory category.

namespace
{
    /** A processor whose Factory folder holds the large library; built once per benchmark. */
    struct Library
    {
        TempHome home;
        std::unique_ptr<MarlinetAudioProcessor> processor;
        juce::File onePreset;

        Library()
        {
            juce::MemoryBlock state;

            {
                MarlinetAudioProcessor fresh;
                fresh.getStateInformation (state);
            }

            for (int folder = 0; folder < 100; ++folder)
            {
                const auto dir = home.factoryDirectory().getChildFile ("Folder " + juce::String (folder));
                dir.createDirectory();

                for (int preset = 0; preset < 100; ++preset)
                    dir.getChildFile ("Preset " + juce::String (preset) + ".preset").replaceWithData (state.getData(), state.getSize());
            }

            onePreset = home.factoryDirectory().getChildFile ("Folder 50/Preset 50.preset");
            processor = std::make_unique<MarlinetAudioProcessor>();
        }
    };

    // Made on first use and destroyed before JUCE shuts down.
    std::unique_ptr<Library> sharedLibrary;

    Library& library()
    {
        if (sharedLibrary == nullptr)
            sharedLibrary = std::make_unique<Library>();

        return *sharedLibrary;
    }

    void ScanLibrary (benchmark::State& state)
    {
        const auto factory = library().home.factoryDirectory();

        for (auto _ : state)
            benchmark::DoNotOptimize (quenwick::Menu::getFileTreeFromDirectory (factory).getNumChildren());
    }

    void LoadPresetsWithCacheFile (benchmark::State& state)
    {
        for (auto _ : state)
            library().processor->menu->loadPresets();
    }

    /** An instance starting up, as a host creates it: scan, cache and default preset. */
    void ConstructProcessor (benchmark::State& state)
    {
        std::unique_ptr<TempHome> emptyHome;

        if (state.range (0) == 0)
            emptyHome = std::make_unique<TempHome>();
        else
            library();

        for (auto _ : state)
            benchmark::DoNotOptimize (MarlinetAudioProcessor().getNumParameters());
    }

    void LoadOnePreset (benchmark::State& state)
    {
        auto& menu = *library().processor->menu;

        for (auto _ : state)
            menu.loadPresetFile (library().onePreset);
    }
}

BENCHMARK (ScanLibrary)->Unit (benchmark::kMillisecond);
BENCHMARK (LoadPresetsWithCacheFile)->Unit (benchmark::kMillisecond);
BENCHMARK (ConstructProcessor)->Arg (0)->Arg (10000)->Unit (benchmark::kMillisecond);
BENCHMARK (LoadOnePreset)->Unit (benchmark::kMicrosecond);

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;
    benchmark::Initialize (&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    sharedLibrary.reset();
    return 0;
}
