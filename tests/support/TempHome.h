#pragma once

#include <juce_core/juce_core.h>

#include <optional>
#include <string>
#include <vector>

/** Points HOME, XDG_DATA_HOME and XDG_CONFIG_HOME at a fresh temporary folder for the life
    of the object, so no test ever touches the real home or system preset folders. */
struct TempHome
{
    TempHome();
    ~TempHome();

    juce::File root, dataHome;   ///< the temporary HOME and XDG_DATA_HOME
    juce::File applicationDirectory() const  { return dataHome.getChildFile ("Quenwick/Marlinet Rack"); }
    juce::File factoryDirectory() const      { return applicationDirectory().getChildFile ("Presets/Factory"); }
    juce::File artistDirectory() const       { return applicationDirectory().getChildFile ("Presets/Artists"); }
    juce::File userPresetDirectory() const   { return root.getChildFile (".config/Audio/Presets/Quenwick/Marlinet Rack/User"); }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved;
};
