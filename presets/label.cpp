#include "presets/label.h"

#include "presets/embeddedResources.h"

namespace quenwick
{

namespace
{
    /** Text height of the number, the name and the menu items, in design units. */
    constexpr float digitalFontHeight = 30.0f;
    /** Fill of the strip, and the editor colours that would otherwise show through it. */
    const juce::Colour stripColour { 0xFF0E0E0E };
    /** Where the number and the name start, as fractions of the strip's width. */
    constexpr float numberXFraction = 0.015f;
    constexpr float nameXFraction = 0.08f;
}

//==============================================================================
LabelLookAndFeel::LabelLookAndFeel()
    : typeface (createFourteenSegmentTypeface())
{
    setColour (juce::PopupMenu::backgroundColourId, juce::Colours::black);
}

LabelLookAndFeel::~LabelLookAndFeel() = default;

juce::Font LabelLookAndFeel::getPopupMenuFont()           { return getDigitalFont(); }
juce::Font LabelLookAndFeel::getLabelFont (juce::Label&)    { return getDigitalFont(); }

juce::Font LabelLookAndFeel::getDigitalFont() const
{
    if (typeface == nullptr)
        return juce::Font (digitalFontHeight);

    return juce::Font (typeface).withHeight (digitalFontHeight);
}

//==============================================================================
const char* const Label::allowedNameCharacters =
    "ABCDEFGHIJKLMNOPQRSTUVXYZabcdefghijklmnopqrstuvxyz1234567890";

Label::Label()
{
    setLookAndFeel (&lookAndFeel);

    // A single click must not start a rename; leaving the editor keeps what was typed.
    nameLabel.setEditable (false, true, false);
    nameLabel.addListener (this);

    setTransform (juce::AffineTransform::scale (0.5f));
    nameLabel.setColour (juce::Label::textColourId, juce::Colours::red);

    nameLabel.onEditorShow = [this]
    {
        if (auto* editor = nameLabel.getCurrentTextEditor())
        {
            editor->setColour (juce::TextEditor::focusedOutlineColourId, stripColour);
            editor->setColour (juce::TextEditor::highlightColourId, stripColour);
        }
    };

    addAndMakeVisible (nameLabel);
}

Label::~Label()
{
    nameLabel.removeListener (this);
    setLookAndFeel (nullptr);
}

void Label::paint (juce::Graphics& g)
{
    g.fillAll (stripColour);
}

void Label::paintOverChildren (juce::Graphics& g)
{
    g.setFont (lookAndFeel.getDigitalFont());
    g.setColour (juce::Colours::red);

    // The segment face is wider than the number's slot; the number is squeezed to end
    // where the name begins instead of running into it.
    const auto x = juce::roundToInt ((float) getWidth() * numberXFraction);
    const auto numberWidth = juce::jmax (0, nameLabel.getX() - x);
    g.drawFittedText (getIndexString (presetIndex, isFactory),
                      x, 0, numberWidth, getHeight(),
                      juce::Justification::centredLeft, 1, 0.0f);
}

void Label::resized()
{
    // The name label keeps the strip's full width; the part beyond the edge is clipped.
    const auto x = juce::roundToInt ((float) getWidth() * nameXFraction);
    nameLabel.setBounds (x, 0, getWidth(), getHeight());
}

void Label::labelTextChanged (juce::Label* labelThatHasChanged)
{
    presetName = labelThatHasChanged->getText();
    const auto index = presetIndex;
    const auto name = presetName;
    listeners.call ([index, name] (Listener& l) { l.labelNameChange (index, name); });
}

void Label::editorShown (juce::Label*, juce::TextEditor& editor)
{
    editor.setInputRestrictions (maximumNameLength, allowedNameCharacters);
}

juce::String Label::getIndexString (int index, bool startsAtZero)
{
    const auto n = startsAtZero ? index : index + 1;
    auto text = juce::String (n);
    if (n < 10)
        text = "0" + text;
    return text + ".";
}

} // namespace quenwick
