#include "presets/menu.h"

// First step of the preset store: the members and the two calls the processor's
// constructor makes. The scan, the cache file and preset loading follow.

namespace quenwick
{
Menu::Menu (const juce::String& code,
            juce::AudioProcessor* owner,
            juce::File applicationDir,
            juce::File userPresetDir,
            const juce::String& defaultName,
            juce::AudioProcessorValueTreeState* state)
    : productCode (code),
      processor (owner),
      applicationDirectory (std::move (applicationDir)),
      userPresetDirectory (std::move (userPresetDir)),
      defaultPresetName (defaultName),
      parameterState (state)
{
}

Menu::~Menu() = default;

void Menu::loadPresets() {}
void Menu::loadDefaultPreset() { pendingPreset = {}; }
}
