// Writes "Marlinet By Quenwick.preset": the state of a freshly built processor.
// Usage: marlinet_default_preset <output file>

#include "tools/defaultPreset/DefaultPresetWriter.h"

#include <cstdlib>
#include <iostream>

int main (int argc, char* argv[])
{
    if (argc != 2)
    {
        std::cerr << "usage: marlinet_default_preset <output file>\n";
        return 2;
    }

    const juce::ScopedJuceInitialiser_GUI juceRuntime;

    // An empty home of our own: the processor must not pick up presets installed here.
    const auto home = juce::File::getSpecialLocation (juce::File::tempDirectory)
                          .getChildFile ("marlinet-default-preset-" + juce::String::toHexString (juce::Random().nextInt64()));

    if (! home.createDirectory())
    {
        std::cerr << "marlinet_default_preset: cannot create " << home.getFullPathName() << "\n";
        return 1;
    }

    setenv ("HOME", home.getFullPathName().toRawUTF8(), 1);
    setenv ("XDG_DATA_HOME", home.getChildFile (".local/share").getFullPathName().toRawUTF8(), 1);

    const auto target = juce::File::getCurrentWorkingDirectory().getChildFile (juce::String::fromUTF8 (argv[1]));
    const bool written = marlinet::writeDefaultPreset (target);

    home.deleteRecursively();

    if (! written)
    {
        std::cerr << "marlinet_default_preset: cannot write " << target.getFullPathName() << "\n";
        return 1;
    }

    return 0;
}
