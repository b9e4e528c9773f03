#pragma once

#include "presets/menuCommands.h"
#include "presets/menuComponent.h"
#include "presets/updateCheck.h"
#include "tests/support/TempHome.h"
#include "tests/unit/ProcessorHelpers.h"

#include <gtest/gtest.h>

namespace commandstest
{
    inline void pump (int milliseconds) { juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds); }
    inline juce::MemoryBlock bytesOf (const juce::File& file)
    {
        juce::MemoryBlock block;
        return file.loadFileAsData (block) ? block : juce::MemoryBlock();
    }
    /** The depth1 value a preset state holds, or -1 when the bytes hold no such state. */
    inline float depthIn (const juce::MemoryBlock& block)
    {
        for (const auto& child : treeOf (block))
            if (child["id"].toString() == ParameterIds::depth1)
                return (float) child["value"];
        return -1.0f;
    }
    inline float depthIn (const juce::File& file) { return depthIn (bytesOf (file)); }
    /** The first node of the tree (depth-first) with the given type and name. */
    inline juce::ValueTree findNode (const juce::ValueTree& tree, const juce::String& type, const juce::String& name)
    {
        for (const auto& child : tree)
            if (auto found = child.hasType (type) && child["name"].toString() == name ? child : findNode (child, type, name); found.isValid())
                return found;
        return {};
    }
    inline juce::StringArray childNames (const juce::ValueTree& node)
    {
        juce::StringArray names;
        for (const auto& child : node)
            names.add (child["name"].toString());
        return names;
    }

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

        quenwick::Menu& store() { return *processor->menu; }
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
        void SetUp() override { CommandsTest::SetUp(); bar = std::make_unique<quenwick::MenuComponent> (store()); }
        void TearDown() override { bar.reset(); }
        void press (int index) { bar->buttonClicked (bar->buttons[(size_t) index].get()); }
        juce::String shownName() { return bar->presetLabel->nameLabel.getText(); }
        std::unique_ptr<quenwick::MenuComponent> bar;
    };
}
