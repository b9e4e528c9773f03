#pragma once

#include "processor/PluginProcessor.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <optional>

// Small helpers shared by the test programs; fixtures live in Fixtures.h.

/** Runs the message loop: timers, posted callbacks and asynchronous dialogs. */
inline void pump (int milliseconds)  { juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds); }

/** Runs the message loop until the condition holds, for at most the bound, and returns the
    condition: waiting for what a test needs, not for a time, holds on a loaded machine too. */
inline bool pumpUntil (const std::function<bool()>& condition, int boundMilliseconds = 10000)
{
    const auto start = juce::Time::getMillisecondCounter();

    while (! condition())
    {
        if (juce::Time::getMillisecondCounter() - start > (juce::uint32) boundMilliseconds)
            return condition();

        pump (5);
    }

    return true;
}

/** A play head that reports a fixed tempo, or a position without one. */
struct FakePlayHead : juce::AudioPlayHead
{
    std::optional<double> bpm;
    bool hasPosition = true;

    juce::Optional<PositionInfo> getPosition() const override
    {
        PositionInfo info;
        info.setBpm (bpm ? juce::Optional<double> (*bpm) : juce::Optional<double>());
        return hasPosition ? juce::Optional<PositionInfo> (info) : juce::Optional<PositionInfo>();
    }
};

inline void setParameter (MarlinetAudioProcessor& p, const char* id, float value)  { auto* q = p.apvts.getParameter (id); q->setValueNotifyingHost (q->convertTo0to1 (value)); }
inline float parameterValue (MarlinetAudioProcessor& p, const char* id)  { return p.apvts.getRawParameterValue (id)->load(); }
inline juce::MemoryBlock stateOf (MarlinetAudioProcessor& p)  { juce::MemoryBlock block; p.getStateInformation (block); return block; }
inline juce::ValueTree treeOf (const juce::MemoryBlock& block)  { return juce::ValueTree::readFromData (block.getData(), block.getSize()); }

/** JUCE's legacy "VC2!" XML container holding the text; the length field is the text's own unless given. */
inline juce::MemoryBlock legacyContainer (const std::string& xml, int length = -1)
{
    juce::MemoryOutputStream out;
    out.writeInt (0x21324356);
    out.writeInt (length >= 0 ? length : (int) xml.size());
    out.write (xml.data(), xml.size());
    return out.getMemoryBlock();
}

/** The tree in JUCE's binary form, as a state or a preset file holds it. */
inline juce::MemoryBlock bytesOf (const juce::ValueTree& tree)  { juce::MemoryOutputStream out; tree.writeToStream (out); return out.getMemoryBlock(); }

inline juce::MemoryBlock fileBytes (const juce::File& file)  { juce::MemoryBlock block; return file.loadFileAsData (block) ? block : juce::MemoryBlock(); }

inline std::string fileText (const juce::File& file)  { const auto b = fileBytes (file); return { (const char*) b.getData(), b.getSize() }; }

/** Creates the file (and its folders) holding the text. */
inline juce::File writeFile (const juce::File& file, const juce::String& text = "x")
    { file.getParentDirectory().createDirectory(); file.replaceWithText (text, false, false, nullptr); return file; }

/** The depth1 value a preset state holds, or -1 when the bytes hold no such state. */
inline float depthIn (const juce::MemoryBlock& block)
{
    for (const auto& child : treeOf (block))
        if (child["id"].toString() == ParameterIds::depth1)
            return (float) child["value"];
    return -1.0f;
}

inline float depthIn (const juce::File& file)  { return depthIn (fileBytes (file)); }

inline juce::ValueTree presetNode (const juce::String& name)  { return juce::ValueTree ("preset").setProperty ("name", name, nullptr); }

/** The "name" of each child, in tree order. */
inline juce::StringArray childNames (const juce::ValueTree& node)  { juce::StringArray names; for (const auto& c : node) names.add (c["name"]); return names; }

/** The first node of the tree (depth-first) with the given type and name. */
inline juce::ValueTree findNode (const juce::ValueTree& tree, const juce::String& type, const juce::String& name)
{
    for (const auto& child : tree)
        if (auto found = child.hasType (type) && child["name"].toString() == name ? child : findNode (child, type, name); found.isValid())
            return found;
    return {};
}

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

/** A mouse event at the component's centre, with the given click count. */
inline juce::MouseEvent mouseAtCentre (juce::Component& component, int clicks)
{
    const auto now = juce::Time::getCurrentTime();
    const auto centre = component.getLocalBounds().getCentre().toFloat();
    return { juce::Desktop::getInstance().getMainMouseSource(), centre, {}, juce::MouseInputSource::defaultPressure,
             0.0f, 0.0f, 0.0f, 0.0f, &component, &component, now, centre, now, clicks, false };
}

/** Types key by key, as a user would. */
inline void typeInto (juce::TextEditor& editor, const juce::String& text)  { for (auto c : text) editor.keyPressed (juce::KeyPress ((int) c, {}, c)); }

/** Without a window manager the virtual display lacks the atoms JUCE asks for, and Xlib's
    default handler ends the program on the first error. The errors are harmless: ignore them. */
void ignoreXErrors();

/** Writes the image as a PNG under the build's screenshot folder; false when that failed. */
bool writeScreenshot (const juce::Image& image, const juce::String& fileName);
