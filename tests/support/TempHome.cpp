#include "tests/support/TempHome.h"

#include <cstdlib>

TempHome::TempHome()
{
    root = juce::File::getSpecialLocation (juce::File::tempDirectory)
               .getChildFile ("marlinet-test-" + juce::String::toHexString (juce::Random::getSystemRandom().nextInt64()));
    root.createDirectory();
    dataHome = root.getChildFile (".local/share");

    oldHome = juce::SystemStats::getEnvironmentVariable ("HOME", {});
    hadDataHome = std::getenv ("XDG_DATA_HOME") != nullptr;
    oldDataHome = juce::SystemStats::getEnvironmentVariable ("XDG_DATA_HOME", {});

    setenv ("HOME", root.getFullPathName().toRawUTF8(), 1);
    setenv ("XDG_DATA_HOME", dataHome.getFullPathName().toRawUTF8(), 1);
}

TempHome::~TempHome()
{
    setenv ("HOME", oldHome.toRawUTF8(), 1);

    if (hadDataHome)
        setenv ("XDG_DATA_HOME", oldDataHome.toRawUTF8(), 1);
    else
        unsetenv ("XDG_DATA_HOME");

    root.deleteRecursively();
}

juce::File TempHome::applicationDirectory() const   { return dataHome.getChildFile ("Quenwick/Marlinet Rack"); }
juce::File TempHome::factoryDirectory() const       { return applicationDirectory().getChildFile ("Presets/Factory"); }
juce::File TempHome::artistDirectory() const        { return applicationDirectory().getChildFile ("Presets/Artists"); }
juce::File TempHome::userPresetDirectory() const    { return root.getChildFile (".config/Audio/Presets/Quenwick/Marlinet Rack/User"); }
