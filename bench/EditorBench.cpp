#include <benchmark/benchmark.h>

#include "editor/PluginEditor.h"
#include "presets/updateCheck.h"
#include "tests/support/TempHome.h"

// Editor costs: opening the window and painting it once, and repainting one knob. The
// pictures come from the image cache, so only the first construction decodes PNGs.

static void editorConstructAndPaint (benchmark::State& state)
{
    TempHome home;
    MarlinetAudioProcessor processor;

    for (auto _ : state)
    {
        MarlinetAudioProcessorEditor editor (processor);
        auto image = editor.createComponentSnapshot (editor.getLocalBounds(), true, 1.0f);
        benchmark::DoNotOptimize (image.getPixelAt (600, 150));
    }
}
BENCHMARK (editorConstructAndPaint)->Unit (benchmark::kMillisecond);

static void knobRepaint (benchmark::State& state)
{
    TempHome home;
    MarlinetAudioProcessor processor;
    MarlinetAudioProcessorEditor editor (processor);
    auto& knob = *editor.rateKnob1;

    // A knob shows at half scale on screen: 135 design units become 67.5 pixels.
    juce::Image target (juce::Image::ARGB, 68, 68, true);
    double value = knob.getMinimum();

    for (auto _ : state)
    {
        value = value >= knob.getMaximum() ? knob.getMinimum() : value + 1.0;
        knob.setValue (value, juce::dontSendNotification);

        juce::Graphics g (target);
        g.addTransform (juce::AffineTransform::scale (0.5f));
        knob.paintEntireComponent (g, false);
    }

    benchmark::DoNotOptimize (target.getPixelAt (34, 34));
}
BENCHMARK (knobRepaint)->Unit (benchmark::kMicrosecond);

// JUCE's GUI must be up for components, fonts and the image cache.
int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;
    quenwick::update::setServiceAddress ({});   // the bar's update check would time the network
    benchmark::Initialize (&argc, argv);

    if (benchmark::ReportUnrecognizedArguments (argc, argv))
        return 1;

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
