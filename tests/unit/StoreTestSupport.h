#pragma once

#include <gtest/gtest.h>

#include "presets/menu.h"
#include "tests/support/TempHome.h"

#include <string>

namespace storetest
{
    using Menu = quenwick::Menu;
    using Names = std::vector<std::string>;

    /** Creates the file (and its folders) holding the text. */
    inline juce::File writeFile (const juce::File& file, const juce::String& text = "x")
    {
        file.getParentDirectory().createDirectory();
        file.replaceWithText (text, false, false, nullptr);
        return file;
    }

    /** The "name" of each child, in tree order. */
    inline Names namesOf (const juce::ValueTree& node)
    {
        Names names;
        for (const auto& child : node)
            names.push_back (child["name"].toString().toStdString());
        return names;
    }

    inline std::string bytesOf (const juce::File& file)
    {
        juce::MemoryBlock data;
        return file.loadFileAsData (data) && data.getSize() > 0 ? std::string ((const char*) data.getData(), data.getSize()) : std::string();
    }

    inline juce::ValueTree presetNode (const juce::String& name) { return juce::ValueTree ("preset").setProperty ("name", name, nullptr); }

    /** A store over a temporary home, with no processor behind it. */
    struct StoreTest : ::testing::Test
    {
        TempHome home;
        Menu menu { "marlinet", nullptr, home.applicationDirectory(), home.userPresetDirectory(), "Marlinet By Quenwick", nullptr };

        juce::File cacheFile() const { return home.applicationDirectory().getChildFile ("files.xml"); }
    };
}
