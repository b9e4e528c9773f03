#pragma once

#include "processor/PluginProcessor.h"

// First step of the editor: the fixed-size window on the processor. Its artwork,
// controls, readouts and the preset bar follow.

/** The effect's editor window. */
class MarlinetAudioProcessorEditor : public juce::AudioProcessorEditor
{
public:
    explicit MarlinetAudioProcessorEditor (MarlinetAudioProcessor& processor);
    ~MarlinetAudioProcessorEditor() override;

    void paint (juce::Graphics& g) override;

    MarlinetAudioProcessor& audioProcessor;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MarlinetAudioProcessorEditor)
};
