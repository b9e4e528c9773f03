#include "tests/unit/BarHelpers.h"

#include <dlfcn.h>

using quenwick::MenuComponent;

namespace
{
    /** Without a window manager the server lacks the WM atoms JUCE asks for, and a plug-in
        build of JUCE leaves Xlib's default handler in place, which exits on the first error.
        The errors are harmless here: ignore them. */
    void ignoreXErrors()
    {
        using Handler = int (*) (void*, void*);
        juce::Desktop::getInstance(); // opens the display, which resets the handler
        if (auto* x11 = dlopen ("libX11.so.6", RTLD_NOW | RTLD_NOLOAD))
            if (auto set = reinterpret_cast<Handler (*) (Handler)> (dlsym (x11, "XSetErrorHandler")))
                set ([] (void*, void*) { return 0; });
    }

    void saveScreenshot (const juce::Image& image, const juce::String& name)
    {
        auto file = juce::File (MARLINET_SCREENSHOT_DIR).getChildFile (name);
        file.getParentDirectory().createDirectory();
        file.deleteFile();
        juce::FileOutputStream out (file);
        ASSERT_TRUE (out.openedOk());
        juce::PNGImageFormat().writeImageToStream (image, out);
    }

    juce::MouseEvent clickOn (juce::Component& c, int numberOfClicks)
    {
        const juce::Point<float> centre ((float) c.getWidth() / 2.0f, (float) c.getHeight() / 2.0f);
        const auto now = juce::Time::getCurrentTime();
        return { juce::Desktop::getInstance().getMainMouseSource(), centre, juce::ModifierKeys(),
                 juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
                 juce::MouseInputSource::defaultRotation, juce::MouseInputSource::defaultTiltX,
                 juce::MouseInputSource::defaultTiltY, &c, &c, now, centre, now, numberOfClicks, false };
    }

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
            pumpMessages (200);
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
            static_cast<juce::Component&> (name()).mouseDoubleClick (clickOn (name(), 2));
            pumpMessages (50);
            auto* editor = name().getCurrentTextEditor();
            if (editor != nullptr)
            {
                editor->selectAll();
                typeInto (*editor, text);
                pumpMessages (50);
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
    static_cast<juce::Component&> (name()).mouseDown (clickOn (name(), 1));
    static_cast<juce::Component&> (name()).mouseUp (clickOn (name(), 1));
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
    pumpMessages (20);
    EXPECT_EQ (name().getCurrentTextEditor(), nullptr);
    EXPECT_TRUE (recorder.names.isEmpty());

    auto* editor = openEditorAndType ("Other");
    ASSERT_NE (editor, nullptr);
    editor->keyPressed (juce::KeyPress (juce::KeyPress::escapeKey));
    pumpMessages (100);
    EXPECT_EQ (name().getCurrentTextEditor(), nullptr);
    EXPECT_EQ (name().getText(), "Mine");
    EXPECT_TRUE (recorder.names.isEmpty());
    EXPECT_FALSE (store->pendingPreset.isValid());

    editor = openEditorAndType ("Fresh");
    ASSERT_NE (editor, nullptr);
    editor->keyPressed (juce::KeyPress (juce::KeyPress::returnKey));
    pumpMessages (50);
    EXPECT_EQ (name().getCurrentTextEditor(), nullptr);
    EXPECT_EQ (recorder.names, juce::StringArray ({ "Fresh" }));
    EXPECT_EQ (recorder.indices, std::vector<int> ({ 2 }));
    EXPECT_EQ (bar->presetLabel->presetName, "Fresh");
    EXPECT_EQ (name().getText(), "Fresh");

    editor = openEditorAndType ("Kept");
    ASSERT_NE (editor, nullptr);
    ASSERT_TRUE (editor->hasKeyboardFocus (true));
    elsewhere.grabKeyboardFocus();
    pumpMessages (200);
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
    pumpMessages (300);
    ASSERT_GT (juce::ModalComponentManager::getInstance()->getNumModalComponents(), 0);

    // The open menu, for a look at its font and colours.
    auto* menuWindow = desktop.getComponent (desktop.getNumComponents() - 1);
    ASSERT_NE (menuWindow, nullptr);
    saveScreenshot (menuWindow->createComponentSnapshot (menuWindow->getLocalBounds()), "bar_popup_menu.png");

    const auto before = store->currentPreset;
    bar.reset();
    pumpMessages (400);
    EXPECT_EQ (juce::ModalComponentManager::getInstance()->getNumModalComponents(), 0);
    EXPECT_EQ (desktop.getNumComponents(), windowsBefore);
    EXPECT_EQ (store->currentPreset, before);
}

TEST_F (BarInWindow, TheBarLooksRight)
{
    bar->buttons[MenuComponent::slotAButton]->setToggleState (true, juce::dontSendNotification);
    const auto shot = bar->createComponentSnapshot (bar->getLocalBounds());
    saveScreenshot (shot, "bar.png");
    saveScreenshot (bar->createComponentSnapshot (bar->getLocalBounds(), true, 2.0f), "bar_design_units.png");
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
