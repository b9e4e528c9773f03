#include "tests/support/Fixtures.h"


namespace
{
    struct NameRecorder : public quenwick::Label::Listener
    {
        void labelNameChange (int index, juce::String name) override { indices.push_back (index); names.add (name); }
        std::vector<int> indices;
        juce::StringArray names;
    };

    /** A window holding a preset bar over a small preset tree with the third User preset "Mine"
        current, plus a second focusable component to move the keyboard focus to. */
    struct BarInWindow : public ::testing::Test
    {
        void SetUp() override
        {
            ignoreXErrors();
            PresetFolders::add (folders.factory(), { "Marlinet By Quenwick.preset", "Bright.preset", "Aside/Deep.preset" });
            PresetFolders::add (folders.user(), { "Alpha.preset", "Beta.preset", "Mine.preset" });
            store = folders.scan();
            store->currentPreset = nodeNamed (*store, "Mine.preset");

            bar = std::make_unique<MenuComponent> (*store);
            elsewhere.setWantsKeyboardFocus (true);
            window.setSize (bar->getWidth(), bar->getHeight() + 40);
            window.addAndMakeVisible (*bar);
            elsewhere.setBounds (0, bar->getHeight(), 100, 40);
            window.addAndMakeVisible (elsewhere);
            window.addToDesktop (0);
            window.setVisible (true);
            window.toFront (true);
            pump (200);
            bar->presetLabel->listeners.add (&recorder);
        }

        void TearDown() override
        {
            bar.reset();
            window.removeFromDesktop();
        }

        juce::Label& name() { return bar->presetLabel->nameLabel; }

        /** Opens the name editor as a double-click does (mouse handlers are public on juce::Component only)
            and types over the whole name. */
        juce::TextEditor* openEditorAndType (const juce::String& text)
        {
            static_cast<juce::Component&> (name()).mouseDoubleClick (mouseAtCentre (name(), 2));
            pump (50);
            auto* editor = name().getCurrentTextEditor();
            if (editor != nullptr)
            {
                editor->selectAll();
                typeInto (*editor, text);
                pump (50);
            }
            return editor;
        }

        PresetFolders folders;
        std::unique_ptr<quenwick::Menu> store;
        juce::Component window, elsewhere;
        std::unique_ptr<MenuComponent> bar;
        NameRecorder recorder;
    };
}

TEST_F (BarInWindow, OnlyADoubleClickOpensTheWholeNameAndTypingKeepsOnlyTheAllowedCharactersUpToTwenty)
{
    const juce::String longName ("A Very Long Preset Name With Spaces");
    name().setText (longName, juce::dontSendNotification);
    static_cast<juce::Component&> (name()).mouseDown (mouseAtCentre (name(), 1));
    static_cast<juce::Component&> (name()).mouseUp (mouseAtCentre (name(), 1));
    EXPECT_EQ (name().getCurrentTextEditor(), nullptr);

    auto* editor = openEditorAndType ({});
    ASSERT_NE (editor, nullptr);
    EXPECT_EQ (editor->getText(), longName);

    editor->selectAll();
    typeInto (*editor, juce::CharPointer_UTF8 ("Ab W-w\xc3\xa9_9"));  // space, W, hyphen, w, e acute, underscore are refused
    EXPECT_EQ (editor->getText(), "Ab9");
    typeInto (*editor, "cdefghijklmnopqrstuvxyz");
    EXPECT_EQ (editor->getText(), "Ab9cdefghijklmnopqrs");
    EXPECT_EQ (editor->getText().length(), 20);

    editor->selectAll();
    editor->insertTextAtCaret ("New Wave 2"); // pasted text is filtered the same way
    EXPECT_EQ (editor->getText(), "Neave2");
}

TEST_F (BarInWindow, ARenameReachesTheStoreOnceOnReturnOrFocusLossButNotWhenUnchangedOrCancelled)
{
    ASSERT_NE (openEditorAndType ("Mine"), nullptr);
    name().hideEditor (false);
    pump (20);
    EXPECT_EQ (name().getCurrentTextEditor(), nullptr);
    EXPECT_TRUE (recorder.names.isEmpty());

    auto* editor = openEditorAndType ("Other");
    ASSERT_NE (editor, nullptr);
    editor->keyPressed (juce::KeyPress (juce::KeyPress::escapeKey));
    pump (100);
    EXPECT_EQ (name().getCurrentTextEditor(), nullptr);
    EXPECT_EQ (name().getText(), "Mine");
    EXPECT_TRUE (recorder.names.isEmpty());
    EXPECT_FALSE (store->pendingPreset.isValid());

    editor = openEditorAndType ("Fresh");
    ASSERT_NE (editor, nullptr);
    editor->keyPressed (juce::KeyPress (juce::KeyPress::returnKey));
    pump (50);
    EXPECT_EQ (name().getCurrentTextEditor(), nullptr);
    EXPECT_EQ (recorder.names, juce::StringArray ({ "Fresh" }));
    EXPECT_EQ (recorder.indices, std::vector<int> ({ 2 }));
    EXPECT_EQ (bar->presetLabel->presetName, "Fresh");
    EXPECT_EQ (name().getText(), "Fresh");

    editor = openEditorAndType ("Kept");
    ASSERT_NE (editor, nullptr);
    ASSERT_TRUE (editor->hasKeyboardFocus (true));
    elsewhere.grabKeyboardFocus();
    pump (200);
    EXPECT_EQ (name().getCurrentTextEditor(), nullptr);
    EXPECT_EQ (recorder.names, juce::StringArray ({ "Fresh", "Kept" }));
    EXPECT_EQ (store->pendingPreset["name"].toString(), "Kept");
    EXPECT_EQ (juce::File (store->pendingPreset["path"].toString()), folders.user().getChildFile ("Kept.preset"));
    EXPECT_EQ (store->currentPreset, nodeNamed (*store, "Mine.preset")); // a rename renames nothing by itself
}

TEST_F (BarInWindow, ClosingTheBarWithItsMenuOpenClosesTheMenuSafely)
{
    auto& desktop = juce::Desktop::getInstance();
    const auto windowsBefore = desktop.getNumComponents();
    bar->loadMenu (false);
    bar->popupMenu->showMenuAsync (juce::PopupMenu::Options()
                                       .withTargetComponent (bar->presetLabel.get())
                                       .withMinimumWidth (bar->presetLabel->getWidth())
                                       .withStandardItemHeight (50));
    pump (300);
    ASSERT_GT (juce::ModalComponentManager::getInstance()->getNumModalComponents(), 0);

    // The open menu, for a look at its font and colours.
    auto* menuWindow = desktop.getComponent (desktop.getNumComponents() - 1);
    ASSERT_NE (menuWindow, nullptr);
    EXPECT_TRUE (writeScreenshot (menuWindow->createComponentSnapshot (menuWindow->getLocalBounds()), "bar_popup_menu.png"));

    const auto before = store->currentPreset;
    bar.reset();
    pump (400);
    EXPECT_EQ (juce::ModalComponentManager::getInstance()->getNumModalComponents(), 0);
    EXPECT_EQ (desktop.getNumComponents(), windowsBefore);
    EXPECT_EQ (store->currentPreset, before);
}

TEST_F (BarInWindow, TheBarLooksRight)
{
    bar->buttons[MenuComponent::slotAButton]->setToggleState (true, juce::dontSendNotification);
    const auto shot = bar->createComponentSnapshot (bar->getLocalBounds());
    EXPECT_TRUE (writeScreenshot (shot, "bar.png"));
    EXPECT_TRUE (writeScreenshot (bar->createComponentSnapshot (bar->getLocalBounds(), true, 2.0f), "bar_design_units.png"));
    ASSERT_EQ (shot.getBounds(), juce::Rectangle<int> (0, 0, 1163, 49));

    // The name strip's dark fill shows between the number and the name's end.
    EXPECT_EQ (shot.getPixelAt (430, 17).withAlpha (1.0f), juce::Colour (0xFF0E0E0E));
    // Red segments of the number "03." inside its first 20 pixels.
    bool sawRed = false;
    for (int x = 430; x < 450; ++x)
        for (int y = 16; y < 35; ++y)
            sawRed = sawRed || (shot.getPixelAt (x, y).getRed() > 200 && shot.getPixelAt (x, y).getGreen() < 60
                                && shot.getPixelAt (x, y).getBlue() < 60);
    EXPECT_TRUE (sawRed);
}
