#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace quenwick
{

/** Look of the preset name strip and of the preset popup menu: a black menu and the
    embedded segment font at height 30 (design units). */
class LabelLookAndFeel : public juce::LookAndFeel_V4
{
public:
    LabelLookAndFeel();
    ~LabelLookAndFeel() override;

    juce::Font getPopupMenuFont() override;
    juce::Font getLabelFont (juce::Label&) override;

    /** A font on the embedded segment typeface at the strip's height. */
    juce::Font getDigitalFont() const;

private:
    /** Decoded once per look-and-feel; held here, never in a static that would outlive
        the font engine at unload. */
    juce::Typeface::Ptr typeface;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LabelLookAndFeel)
};

/** The dark strip with the preset's red number and its editable name. Laid out in design
    units and drawn at half size. */
class Label : public juce::Component,
              public juce::Label::Listener
{
public:
    /** Told when the user has finished editing the name. */
    class Listener
    {
    public:
        virtual ~Listener() = default;
        virtual void labelNameChange (int index, juce::String name) = 0;
    };

    Label();
    ~Label() override;

    void paint (juce::Graphics& g) override;
    void paintOverChildren (juce::Graphics& g) override;
    void resized() override;
    void labelTextChanged (juce::Label* labelThatHasChanged) override;
    void editorShown (juce::Label* label, juce::TextEditor& editor) override;

    /** The number text of a preset: "01." for index 0, or "00." when the numbering of a
        Factory level starts at zero (flag true). */
    static juce::String getIndexString (int index, bool startsAtZero);

    /** Longest name the editor accepts. */
    static constexpr int maximumNameLength = 20;
    /** Characters the editor accepts (letters without "W" and "w", and digits). */
    static const char* const allowedNameCharacters;

    juce::ListenerList<Listener> listeners;
    int presetIndex = 0;
    juce::String presetName;
    juce::Label nameLabel;
    LabelLookAndFeel lookAndFeel;
    bool isFactory = false;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Label)
};

} // namespace quenwick
