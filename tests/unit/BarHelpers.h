#pragma once

#include "presets/menuComponent.h"
#include "presets/updateCheck.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

/** Keeps every bar made while it lives away from the real update service. */
struct OfflineUpdateCheck
{
    OfflineUpdateCheck() : previous (quenwick::update::getServiceAddress()) { quenwick::update::setServiceAddress ({}); }
    ~OfflineUpdateCheck() { quenwick::update::setServiceAddress (previous); }

    juce::String previous;
};

/** Preset folders in a fresh temporary directory and a store over them, without a processor. */
struct PresetFolders
{
    PresetFolders()
    {
        root = juce::File::getSpecialLocation (juce::File::tempDirectory)
                   .getChildFile ("marlinet-bar-" + juce::String::toHexString (juce::Random::getSystemRandom().nextInt64()));
        root.createDirectory();
    }

    ~PresetFolders() { root.deleteRecursively(); }

    juce::File applicationDirectory() const { return root.getChildFile ("app"); }
    juce::File factory() const { return applicationDirectory().getChildFile ("Presets/Factory"); }
    juce::File artists() const { return applicationDirectory().getChildFile ("Presets/Artists"); }
    juce::File user() const { return root.getChildFile ("User"); }

    /** An (empty) preset file at a path relative to a category folder. */
    static void add (const juce::File& category, const juce::String& relativePath)
    {
        auto file = category.getChildFile (relativePath);
        file.getParentDirectory().createDirectory();
        file.create();
    }

    /** A store that has scanned the folders as they are now. */
    std::unique_ptr<quenwick::Menu> scan (const juce::String& defaultName = "Marlinet By Quenwick")
    {
        auto store = std::make_unique<quenwick::Menu> ("marlinet", nullptr, applicationDirectory(), user(),
                                                       defaultName, nullptr);
        store->loadPresets();
        return store;
    }

    OfflineUpdateCheck offline;
    juce::File root;
};

/** The popup menu as flat lines: "Factory>" for a sub-menu, "Factory>01.Name" for an item.
    A leading "*" marks a ticked entry. */
inline juce::StringArray describeMenu (const juce::PopupMenu& menu, const juce::String& prefix = {})
{
    juce::StringArray lines;

    for (juce::PopupMenu::MenuItemIterator it (menu); it.next();)
    {
        const auto& item = it.getItem();
        const auto tick = juce::String (item.isTicked ? "*" : "");

        if (item.subMenu != nullptr)
        {
            lines.add (tick + prefix + item.text + ">");
            lines.addArray (describeMenu (*item.subMenu, prefix + item.text + ">"));
        }
        else
        {
            lines.add (tick + prefix + item.text);
        }
    }

    return lines;
}

/** The first item whose text is the given one, searched depth-first. */
inline const juce::PopupMenu::Item* findItem (const juce::PopupMenu& menu, const juce::String& text)
{
    for (juce::PopupMenu::MenuItemIterator it (menu); it.next();)
    {
        const auto& item = it.getItem();

        if (item.subMenu != nullptr)
        {
            if (auto* found = findItem (*item.subMenu, text))
                return found;
        }
        else if (item.text == text)
        {
            return &item;
        }
    }

    return nullptr;
}

/** The preset node of a store's tree whose file has the given name. */
inline juce::ValueTree nodeNamed (quenwick::Menu& store, const juce::String& fileName)
{
    std::function<juce::ValueTree (juce::ValueTree)> search = [&] (juce::ValueTree tree) -> juce::ValueTree
    {
        for (auto child : tree)
        {
            if (child.hasType ("preset") && child["name"].toString() == fileName)
                return child;
            if (auto found = search (child); found.isValid())
                return found;
        }
        return {};
    };
    return search (store.filesTree);
}

/** Lets timers and posted callbacks run for a while. */
inline void pumpMessages (int milliseconds)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
}

/** Types text into an editor key by key, as a user would. */
inline void typeInto (juce::TextEditor& editor, const juce::String& text)
{
    for (auto c : text)
        editor.keyPressed (juce::KeyPress ((int) c, juce::ModifierKeys(), c));
}
