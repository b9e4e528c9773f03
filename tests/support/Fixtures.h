#pragma once

#include "presets/menuCommands.h"
#include "presets/menuComponent.h"
#include "tests/support/Helpers.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

using quenwick::Menu;
using quenwick::MenuComponent;
namespace commands = quenwick::commands;

/** A preset store over a temporary home, with no processor behind it. */
struct StoreTest : ::testing::Test
{
    TempHome home;
    Menu menu { "marlinet", nullptr, home.applicationDirectory(), home.userPresetDirectory(), "Marlinet By Quenwick", nullptr };

    juce::File cacheFile() const { return home.applicationDirectory().getChildFile ("files.xml"); }
};

/** A processor in a temporary home with these presets, each holding its own depth1:
    Factory: "Marlinet By Quenwick" (0.6, the default) and "Bright" (0.25);
    User: "Lead" (0.3) and the folder "Keys" with "Pad" (0.4) and "Soft" (0.45).
    The default preset is current. */
struct CommandsTest : ::testing::Test
{
    void SetUp() override
    {
        const std::pair<juce::File, float> presets[] { { factory ("Marlinet By Quenwick.preset"), 0.6f }, { factory ("Bright.preset"), 0.25f },
                                                       { user ("Lead.preset"), 0.3f }, { user ("Keys/Pad.preset"), 0.4f },
                                                       { user ("Keys/Soft.preset"), 0.45f } };
        for (const auto& [file, depth] : presets)
            writePreset (file, depth);
        store().loadPresets();
        store().loadDefaultPreset();
        store().stateChanged = false;
    }

    Menu& store() { return *processor->menu; }
    void setDepth (float depth) { setParameter (*processor, ParameterIds::depth1, depth); }
    float currentDepth() { return parameterValue (*processor, ParameterIds::depth1); }
    void writePreset (const juce::File& file, float depth)
    {
        setDepth (depth);
        const auto block = stateOf (*processor);
        file.getParentDirectory().createDirectory();
        file.replaceWithData (block.getData(), block.getSize());
    }
    juce::ValueTree preset (const juce::String& fileName) { return findNode (store().filesTree, "preset", fileName); }
    juce::ValueTree folder (const juce::String& name) { return findNode (store().filesTree, "presets", name); }
    juce::File user (const juce::String& relative) { return home.userPresetDirectory().getChildFile (relative); }
    juce::File factory (const juce::String& relative) { return home.factoryDirectory().getChildFile (relative); }

    /** What a save dialog hands back: a file anywhere, of which only the name counts. */
    juce::File chosen (const juce::String& fileName) { return home.root.getChildFile ("Desktop/" + fileName); }
    TempHome home;
    std::unique_ptr<MarlinetAudioProcessor> processor = std::make_unique<MarlinetAudioProcessor>();
};

/** The same with a preset bar on it (the test program's main keeps its update check offline). */
struct CommandsBarTest : CommandsTest
{
    void SetUp() override { CommandsTest::SetUp(); bar = std::make_unique<MenuComponent> (store()); }
    void TearDown() override { bar.reset(); }
    void press (int index) { bar->buttonClicked (bar->buttons[(size_t) index].get()); }
    juce::String shownName() { return bar->presetLabel->nameLabel.getText(); }
    std::unique_ptr<MenuComponent> bar;
};

/** Preset folders in a fresh temporary directory and a store over them, without a processor. */
struct PresetFolders
{
    PresetFolders() { root.createDirectory(); }
    ~PresetFolders() { root.deleteRecursively(); }

    juce::File factory() const { return root.getChildFile ("app/Presets/Factory"); }
    juce::File artists() const { return root.getChildFile ("app/Presets/Artists"); }
    juce::File user() const { return root.getChildFile ("User"); }

    /** Empty preset files at paths relative to a category folder. */
    static void add (const juce::File& category, std::initializer_list<juce::String> relativePaths)
    {
        for (const auto& path : relativePaths)
        {
            category.getChildFile (path).getParentDirectory().createDirectory();
            category.getChildFile (path).create();
        }
    }

    std::unique_ptr<Menu> scan()
    {
        auto store = std::make_unique<Menu> ("marlinet", nullptr, root.getChildFile ("app"), user(), "Marlinet By Quenwick", nullptr);
        store->loadPresets();
        return store;
    }

    juce::File root = juce::File::getSpecialLocation (juce::File::tempDirectory)
                          .getChildFile ("marlinet-bar-" + juce::String::toHexString (juce::Random::getSystemRandom().nextInt64()));
};

/** The preset node of a tree whose file has the given name. */
inline juce::ValueTree nodeNamed (Menu& store, const juce::String& fileName)  { return findNode (store.filesTree, "preset", fileName); }

inline juce::String labelNumber (MenuComponent& bar)  { return quenwick::Label::getIndexString (bar.presetLabel->presetIndex, bar.presetLabel->isFactory); }
