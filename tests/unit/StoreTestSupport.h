#pragma once

#include <gtest/gtest.h>

#include "presets/menu.h"
#include "tests/support/TempHome.h"

#include <string>

namespace storetest
{
    /** Creates the file (and its folders) holding the text. */
    inline juce::File writeFile (const juce::File& file, const juce::String& text = "x")
    {
        file.getParentDirectory().createDirectory();
        file.replaceWithText (text, false, false, nullptr);
        return file;
    }

    /** The "name" of each child, in tree order. */
    inline std::vector<std::string> namesOf (const juce::ValueTree& node)
    {
        std::vector<std::string> names;

        for (const auto& child : node)
            names.push_back (child["name"].toString().toStdString());

        return names;
    }

    inline std::string bytesOf (const juce::File& file)
    {
        juce::MemoryBlock data;
        file.loadFileAsData (data);
        return data.getSize() == 0 ? std::string() : std::string (static_cast<const char*> (data.getData()), data.getSize());
    }

    /** Joins the lines as files.xml writes them: every line ends in CR LF. */
    inline std::string crlfLines (std::initializer_list<std::string> lines)
    {
        std::string text;

        for (const auto& line : lines)
            text += line + "\r\n";

        return text;
    }

    inline juce::ValueTree presetNode (const juce::String& name)
    {
        juce::ValueTree node ("preset");
        node.setProperty ("name", name, nullptr);
        return node;
    }

    /** A store over a temporary home, with no processor behind it. */
    struct StoreTest : ::testing::Test
    {
        TempHome home;
        quenwick::Menu menu { "marlinet", nullptr, home.applicationDirectory(), home.userPresetDirectory(),
                              "Marlinet By Quenwick", nullptr };

        juce::File cacheFile() const { return home.applicationDirectory().getChildFile ("files.xml"); }
    };
}
