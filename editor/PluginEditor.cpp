#include "editor/PluginEditor.h"

MarlinetAudioProcessorEditor::MarlinetAudioProcessorEditor (MarlinetAudioProcessor& p)
    : juce::AudioProcessorEditor (p), audioProcessor (p)
{
    setResizable (false, false);
    setSize (1163, 245);
}

MarlinetAudioProcessorEditor::~MarlinetAudioProcessorEditor() = default;

void MarlinetAudioProcessorEditor::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colours::black);
}
