#pragma once

#include "presets/menuCommands.h"
#include "tests/support/TempHome.h"
#include "tests/unit/ProcessorHelpers.h"

#include <gtest/gtest.h>

namespace commandstest
{
    /** The depth1 value a preset state holds, or -1 when the bytes hold no such state. */
    inline float depthIn (const juce::MemoryBlock& block)
    {
        const auto tree = juce::ValueTree::readFromData (block.getData(), block.getSize());

        for (const auto& child : tree)
            if (child["id"].toString() == ParameterIds::depth1)
                return (float) child["value"];

        return -1.0f;
    }

    inline float depthIn (const juce::File& file)
    {
        juce::MemoryBlock block;
        return file.loadFileAsData (block) ? depthIn (block) : -1.0f;
    }

    inline juce::MemoryBlock bytesOf (const juce::File& file)
    {
        juce::MemoryBlock block;
        file.loadFileAsData (block);
        return block;
    }

    /** The first node of the tree (depth-first) with the given type and name. */
    inline juce::ValueTree findNode (const juce::ValueTree& tree, const juce::String& type, const juce::String& name)
    {
        for (const auto& child : tree)
        {
            if (child.hasType (type) && child["name"].toString() == name)
                return child;

            if (auto found = findNode (child, type, name); found.isValid())
                return found;
        }

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
            processor = std::make_unique<MarlinetAudioProcessor>();

            writePreset (home.factoryDirectory().getChildFile ("Marlinet By Quenwick.preset"), 0.6f);
            writePreset (home.factoryDirectory().getChildFile ("Bright.preset"), 0.25f);
            writePreset (home.userPresetDirectory().getChildFile ("Lead.preset"), 0.3f);
            writePreset (home.userPresetDirectory().getChildFile ("Keys/Pad.preset"), 0.4f);
            writePreset (home.userPresetDirectory().getChildFile ("Keys/Soft.preset"), 0.45f);

            store().loadPresets();
            store().loadDefaultPreset();
            store().stateChanged = false;
        }

        quenwick::Menu& store() { return *processor->menu; }

        void writePreset (const juce::File& file, float depth)
        {
            setParameter (*processor, ParameterIds::depth1, depth);
            const auto block = stateOf (*processor);
            file.getParentDirectory().createDirectory();
            file.replaceWithData (block.getData(), block.getSize());
        }

        float currentDepth() { return parameterValue (*processor, ParameterIds::depth1); }

        juce::ValueTree preset (const juce::String& fileName) { return findNode (store().filesTree, "preset", fileName); }
        juce::ValueTree folder (const juce::String& name) { return findNode (store().filesTree, "presets", name); }

        juce::File user (const juce::String& relative) { return home.userPresetDirectory().getChildFile (relative); }
        juce::File factory (const juce::String& relative) { return home.factoryDirectory().getChildFile (relative); }

        /** What a save dialog hands back: a file anywhere, of which only the name counts. */
        juce::File chosen (const juce::String& fileName) { return home.root.getChildFile ("Desktop").getChildFile (fileName); }

        TempHome home;
        std::unique_ptr<MarlinetAudioProcessor> processor;
    };
}
