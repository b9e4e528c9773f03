#pragma once

#include <juce_core/juce_core.h>

#include <map>
#include <optional>
#include <string>

/** Points HOME, XDG_DATA_HOME and XDG_CONFIG_HOME at a fresh temporary folder for the life
    of the object, so no test ever touches the real home or system preset folders. */
class TempHome
{
public:
    TempHome();
    ~TempHome();

    juce::File root;            ///< the temporary HOME
    juce::File dataHome;        ///< the temporary XDG_DATA_HOME
    juce::File applicationDirectory() const;   ///< where the processor keeps files.xml
    juce::File factoryDirectory() const;
    juce::File artistDirectory() const;
    juce::File userPresetDirectory() const;

private:
    std::map<std::string, std::optional<std::string>> saved;
};
