#include "presets/menu.h"

namespace quenwick
{
MenuAudioProcessor::MenuAudioProcessor (const juce::String& defaultName,
                                        const juce::String& id,
                                        juce::AudioProcessorValueTreeState& state)
    : defaultPresetName (defaultName), productId (id), parameterState (&state)
{
}

MenuAudioProcessor::~MenuAudioProcessor() = default;

juce::File MenuAudioProcessor::getApplicationDirectory()  { return {}; }
juce::File MenuAudioProcessor::getUserPresetDirectory()   { return {}; }
}
