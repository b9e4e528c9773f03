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
    const juce::String previous;
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

    std::unique_ptr<quenwick::Menu> scan()
    {
        auto store = std::make_unique<quenwick::Menu> ("marlinet", nullptr, root.getChildFile ("app"), user(),
                                                       "Marlinet By Quenwick", nullptr);
        store->loadPresets();
        return store;
    }

    OfflineUpdateCheck offline;
    juce::File root = juce::File::getSpecialLocation (juce::File::tempDirectory)
                          .getChildFile ("marlinet-bar-" + juce::String::toHexString (juce::Random::getSystemRandom().nextInt64()));
};

struct NameRecorder : public quenwick::Label::Listener
{
    void labelNameChange (int index, juce::String name) override { indices.push_back (index); names.add (name); }
    std::vector<int> indices;
    juce::StringArray names;
};

/** The popup menu as flat lines: "Factory>" for a sub-menu, "Factory>01.Name" for an item.
    A leading "*" marks a ticked entry. */
inline juce::StringArray describeMenu (const juce::PopupMenu& menu, const juce::String& prefix = {})
{
    juce::StringArray lines;
    for (juce::PopupMenu::MenuItemIterator it (menu); it.next();)
    {
        const auto& item = it.getItem();
        const auto line = juce::String (item.isTicked ? "*" : "") + prefix + item.text;
        lines.add (item.subMenu != nullptr ? line + ">" : line);
        if (item.subMenu != nullptr)
            lines.addArray (describeMenu (*item.subMenu, prefix + item.text + ">"));
    }
    return lines;
}

/** The first item (not sub-menu) whose text is the given one, searched depth-first. */
inline const juce::PopupMenu::Item* findItem (const juce::PopupMenu& menu, const juce::String& text)
{
    for (juce::PopupMenu::MenuItemIterator it (menu); it.next();)
    {
        const auto& item = it.getItem();
        if (item.subMenu == nullptr && item.text == text)
            return &item;
        if (auto* found = item.subMenu != nullptr ? findItem (*item.subMenu, text) : nullptr)
            return found;
    }
    return nullptr;
}

/** The preset node of a tree whose file has the given name. */
inline juce::ValueTree nodeNamed (const juce::ValueTree& tree, const juce::String& fileName)
{
    for (auto child : tree)
    {
        if (child.hasType ("preset") && child["name"].toString() == fileName)
            return child;
        if (auto found = nodeNamed (child, fileName); found.isValid())
            return found;
    }
    return {};
}

inline juce::ValueTree nodeNamed (quenwick::Menu& store, const juce::String& fileName) { return nodeNamed (store.filesTree, fileName); }

inline juce::String labelNumber (quenwick::MenuComponent& bar) { return quenwick::Label::getIndexString (bar.presetLabel->presetIndex, bar.presetLabel->isFactory); }

inline void pumpMessages (int milliseconds) { juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds); }

/** Types key by key, as a user would. */
inline void typeInto (juce::TextEditor& editor, const juce::String& text)
{
    for (auto c : text)
        editor.keyPressed (juce::KeyPress ((int) c, juce::ModifierKeys(), c));
}
