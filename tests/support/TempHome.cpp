#include "tests/support/TempHome.h"

#include <cstdlib>

TempHome::TempHome()
{
    root = juce::File::getSpecialLocation (juce::File::tempDirectory)
               .getChildFile ("marlinet-test-" + juce::String::toHexString (juce::Random::getSystemRandom().nextInt64()));
    root.createDirectory();
    dataHome = root.getChildFile (".local/share");

    const std::map<std::string, juce::File> redirected { { "HOME", root },
                                                         { "XDG_DATA_HOME", dataHome },
                                                         { "XDG_CONFIG_HOME", root.getChildFile (".config") } };

    for (const auto& [name, folder] : redirected)
    {
        const char* old = std::getenv (name.c_str());
        saved[name] = old != nullptr ? std::optional<std::string> (old) : std::nullopt;
        setenv (name.c_str(), folder.getFullPathName().toRawUTF8(), 1);
    }
}

TempHome::~TempHome()
{
    for (const auto& [name, value] : saved)
    {
        if (value)
            setenv (name.c_str(), value->c_str(), 1);
        else
            unsetenv (name.c_str());
    }

    root.deleteRecursively();
}

juce::File TempHome::applicationDirectory() const   { return dataHome.getChildFile ("Quenwick/Marlinet Rack"); }
juce::File TempHome::factoryDirectory() const       { return applicationDirectory().getChildFile ("Presets/Factory"); }
juce::File TempHome::artistDirectory() const        { return applicationDirectory().getChildFile ("Presets/Artists"); }
juce::File TempHome::userPresetDirectory() const    { return root.getChildFile (".config/Audio/Presets/Quenwick/Marlinet Rack/User"); }
