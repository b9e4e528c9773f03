#include "tests/support/TempHome.h"

#include <cstdlib>
#include <filesystem>

TempHome::TempHome()
    : root (juce::File::getSpecialLocation (juce::File::tempDirectory)
                .getChildFile ("marlinet-test-" + juce::String::toHexString (juce::Random::getSystemRandom().nextInt64()))),
      dataHome (root.getChildFile (".local/share"))
{
    root.createDirectory();

    for (const auto& [name, folder] : { std::pair { "HOME", root }, { "XDG_DATA_HOME", dataHome }, { "XDG_CONFIG_HOME", root.getChildFile (".config") } })
    {
        const char* old = std::getenv (name);
        saved.emplace_back (name, old != nullptr ? std::optional<std::string> (old) : std::nullopt);
        setenv (name, folder.getFullPathName().toRawUTF8(), 1);
    }
}

TempHome::~TempHome()
{
    for (const auto& [name, value] : saved)
        value ? setenv (name.c_str(), value->c_str(), 1) : unsetenv (name.c_str());

    std::error_code ignored;   // far faster than JUCE for a folder of 50,000 presets
    std::filesystem::remove_all (root.getFullPathName().toStdString(), ignored);
}
