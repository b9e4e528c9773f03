#include "tests/unit/BarHelpers.h"

using quenwick::Label;
using quenwick::MenuComponent;

namespace
{
    struct NameRecorder : public Label::Listener
    {
        void labelNameChange (int index, juce::String name) override
        {
            indices.push_back (index);
            names.add (name);
        }

        std::vector<int> indices;
        juce::StringArray names;
    };

    juce::MouseEvent clickOn (juce::Component& c, int numberOfClicks)
    {
        const juce::Point<float> centre ((float) c.getWidth() / 2.0f, (float) c.getHeight() / 2.0f);
        const auto now = juce::Time::getCurrentTime();
        return { juce::Desktop::getInstance().getMainMouseSource(), centre, juce::ModifierKeys(),
                 juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
                 juce::MouseInputSource::defaultRotation, juce::MouseInputSource::defaultTiltX,
                 juce::MouseInputSource::defaultTiltY, &c, &c, now, centre, now, numberOfClicks, false };
    }

    /** Mouse handlers are protected in juce::Label but public on juce::Component. */
    juce::Component& asComponent (juce::Component& c) { return c; }

    /** A label laid out as the bar lays it out, showing a name, with a recording listener. */
    struct BarLabelEditing : public ::testing::Test
    {
        void SetUp() override
        {
            label.setBounds (MenuComponent::labelX, MenuComponent::labelY,
                             MenuComponent::labelWidth, MenuComponent::labelHeight);
            label.presetIndex = 4;
            label.nameLabel.setText ("Start", juce::dontSendNotification);
            label.listeners.add (&recorder);
        }

        juce::TextEditor* openEditor()
        {
            asComponent (label.nameLabel).mouseDoubleClick (clickOn (label.nameLabel, 2));
            return label.nameLabel.getCurrentTextEditor();
        }

        Label label;
        NameRecorder recorder;
    };
}

TEST_F (BarLabelEditing, ASingleClickDoesNotEditButADoubleClickOpensTheWholeName)
{
    auto& name = label.nameLabel;
    asComponent (name).mouseDown (clickOn (name, 1));
    asComponent (name).mouseUp (clickOn (name, 1));
    EXPECT_EQ (name.getCurrentTextEditor(), nullptr);

    auto* editor = openEditor();
    ASSERT_NE (editor, nullptr);
    EXPECT_EQ (editor->getText(), "Start");
}

TEST_F (BarLabelEditing, TypingKeepsOnlyTheAllowedCharactersAndStopsAtTwenty)
{
    auto* editor = openEditor();
    ASSERT_NE (editor, nullptr);
    editor->selectAll();

    typeInto (*editor, juce::CharPointer_UTF8 ("Ab W-w\xc3\xa9_9"));  // space, W, hyphen, w, e acute, underscore are refused
    EXPECT_EQ (editor->getText(), "Ab9");

    typeInto (*editor, "cdefghijklmnopqrstuvxyz");
    EXPECT_EQ (editor->getText(), "Ab9cdefghijklmnopqrs");
    EXPECT_EQ (editor->getText().length(), 20);

    // Pasted text is filtered the same way.
    editor->selectAll();
    editor->insertTextAtCaret ("New Wave 2");
    EXPECT_EQ (editor->getText(), "Neave2");
}

TEST_F (BarLabelEditing, ANameOutsideTheRulesStillOpensWhole)
{
    const juce::String longName ("A Very Long Preset Name With Spaces");
    label.nameLabel.setText (longName, juce::dontSendNotification);

    auto* editor = openEditor();
    ASSERT_NE (editor, nullptr);
    EXPECT_EQ (editor->getText(), longName);
}

TEST_F (BarLabelEditing, ReturnCommitsOnceWithTheIndexAndTheTypedName)
{
    auto* editor = openEditor();
    ASSERT_NE (editor, nullptr);
    editor->selectAll();
    typeInto (*editor, "Fresh");
    editor->keyPressed (juce::KeyPress (juce::KeyPress::returnKey));
    pumpMessages (50);

    EXPECT_EQ (label.nameLabel.getCurrentTextEditor(), nullptr);
    ASSERT_EQ (recorder.names.size(), 1);
    EXPECT_EQ (recorder.names[0], "Fresh");
    EXPECT_EQ (recorder.indices[0], 4);
    EXPECT_EQ (label.presetName, "Fresh");
    EXPECT_EQ (label.nameLabel.getText(), "Fresh");
}

TEST_F (BarLabelEditing, AnEditThatLeavesTheNameAsItWasTellsNobody)
{
    auto* editor = openEditor();
    ASSERT_NE (editor, nullptr);
    editor->selectAll();
    typeInto (*editor, "Start");
    label.nameLabel.hideEditor (false);
    pumpMessages (20);

    EXPECT_EQ (label.nameLabel.getCurrentTextEditor(), nullptr);
    EXPECT_TRUE (recorder.names.isEmpty());
}

TEST_F (BarLabelEditing, TheOpenEditorBlendsIntoTheStrip)
{
    auto* editor = openEditor();
    ASSERT_NE (editor, nullptr);
    EXPECT_EQ (editor->findColour (juce::TextEditor::focusedOutlineColourId), juce::Colour (0xFF0E0E0E));
    EXPECT_EQ (editor->findColour (juce::TextEditor::highlightColourId), juce::Colour (0xFF0E0E0E));
}

TEST (BarLabelLook, NumberAndNameUseTheSegmentFaceAtHeightThirty)
{
    quenwick::LabelLookAndFeel look;
    juce::Label plain;
    const auto font = look.getLabelFont (plain);
    const auto menuFont = look.getPopupMenuFont();

    EXPECT_FLOAT_EQ (font.getHeight(), 30.0f);
    EXPECT_FLOAT_EQ (menuFont.getHeight(), 30.0f);
    EXPECT_TRUE (font.getTypefaceName().containsIgnoreCase ("DSEG")) << font.getTypefaceName();
    EXPECT_EQ (look.findColour (juce::PopupMenu::backgroundColourId), juce::Colours::black);

    // One typeface, shared by every font made on it.
    EXPECT_EQ (quenwick::LabelLookAndFeel::getDigitalFont().getTypefacePtr(),
               quenwick::LabelLookAndFeel::getDigitalFont().getTypefacePtr());
}

TEST (BarLabelLook, TheNameStartsAfterTheNumberAndRunsPastTheEdge)
{
    Label label;
    label.setBounds (MenuComponent::labelX, MenuComponent::labelY,
                     MenuComponent::labelWidth, MenuComponent::labelHeight);
    EXPECT_EQ (label.nameLabel.getBounds(), juce::Rectangle<int> (49, 0, 608, 40));
}

TEST (BarLabelInBar, ACommittedNameBecomesTheStoresPendingName)
{
    PresetFolders folders;
    PresetFolders::add (folders.user(), "Mine.preset");
    auto store = folders.scan();
    store->currentPreset = nodeNamed (*store, "Mine.preset");

    MenuComponent bar (*store);
    auto& name = bar.presetLabel->nameLabel;
    name.showEditor();
    auto* editor = name.getCurrentTextEditor();
    ASSERT_NE (editor, nullptr);
    editor->selectAll();
    typeInto (*editor, "Renamed");
    name.hideEditor (false);

    EXPECT_EQ (store->pendingPreset["name"].toString(), "Renamed");
    EXPECT_EQ (juce::File (store->pendingPreset["path"].toString()), folders.user().getChildFile ("Renamed.preset"));
    // A rename renames nothing by itself: the current preset stays.
    EXPECT_EQ (store->currentPreset, nodeNamed (*store, "Mine.preset"));
}

