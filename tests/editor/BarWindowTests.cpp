#include "tests/unit/BarHelpers.h"

#include <dlfcn.h>

using quenwick::Label;
using quenwick::Menu;
using quenwick::MenuComponent;

namespace
{
    /** Without a window manager the server lacks the WM atoms JUCE asks for, and a plug-in
        build of JUCE leaves Xlib's default handler in place, which exits on the first error.
        The errors are harmless here: ignore them. */
    void ignoreXErrors()
    {
        using Handler = int (*) (void*, void*);
        using SetHandler = Handler (*) (Handler);

        juce::Desktop::getInstance(); // opens the display, which resets the handler

        if (auto* x11 = dlopen ("libX11.so.6", RTLD_NOW | RTLD_NOLOAD))
            if (auto set = reinterpret_cast<SetHandler> (dlsym (x11, "XSetErrorHandler")))
                set ([] (void*, void*) { return 0; });
    }

    struct NameCounter : public Label::Listener
    {
        void labelNameChange (int, juce::String name) override { names.add (name); }
        juce::StringArray names;
    };

    void saveScreenshot (const juce::Image& image, const juce::String& name)
    {
        const juce::File dir (MARLINET_SCREENSHOT_DIR);
        dir.createDirectory();
        auto file = dir.getChildFile (name);
        file.deleteFile();
        juce::FileOutputStream out (file);
        ASSERT_TRUE (out.openedOk());
        juce::PNGImageFormat().writeImageToStream (image, out);
    }

    /** A window holding a preset bar over a small preset tree, plus a second focusable
        component to move the keyboard focus to. */
    struct BarInWindow : public ::testing::Test
    {
        void SetUp() override
        {
            ignoreXErrors();
            PresetFolders::add (folders.factory(), "Marlinet By Quenwick.preset");
            PresetFolders::add (folders.factory(), "Bright.preset");
            PresetFolders::add (folders.factory(), "Aside/Deep.preset");
            PresetFolders::add (folders.user(), "Mine.preset");
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

            bar->presetLabel->listeners.add (&counter);
        }

        void TearDown() override
        {
            bar.reset();
            window.removeFromDesktop();
        }

        juce::TextEditor* openEditor()
        {
            auto& name = bar->presetLabel->nameLabel;
            name.showEditor();
            pumpMessages (50);
            return name.getCurrentTextEditor();
        }

        PresetFolders folders;
        std::unique_ptr<Menu> store;
        juce::Component window, elsewhere;
        std::unique_ptr<MenuComponent> bar;
        NameCounter counter;
    };
}

TEST_F (BarInWindow, EscapeCancelsARenameWithoutTellingTheStore)
{
    auto* editor = openEditor();
    ASSERT_NE (editor, nullptr);
    editor->selectAll();
    typeInto (*editor, "Other");
    pumpMessages (50);
    editor->keyPressed (juce::KeyPress (juce::KeyPress::escapeKey));
    pumpMessages (100);

    EXPECT_EQ (bar->presetLabel->nameLabel.getCurrentTextEditor(), nullptr);
    EXPECT_EQ (bar->presetLabel->nameLabel.getText(), "Mine");
    EXPECT_TRUE (counter.names.isEmpty());
    EXPECT_FALSE (store->pendingPreset.isValid());
}

TEST_F (BarInWindow, MovingTheFocusAwayCommitsTheRenameOnce)
{
    auto* editor = openEditor();
    ASSERT_NE (editor, nullptr);
    ASSERT_TRUE (editor->hasKeyboardFocus (true));
    editor->selectAll();
    typeInto (*editor, "Kept");
    pumpMessages (50);

    elsewhere.grabKeyboardFocus();
    pumpMessages (200);

    EXPECT_EQ (bar->presetLabel->nameLabel.getCurrentTextEditor(), nullptr);
    EXPECT_EQ (counter.names, juce::StringArray ({ "Kept" }));
    EXPECT_EQ (store->pendingPreset["name"].toString(), "Kept");
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

TEST_F (BarInWindow, HoverLightsPlainButtonsButNotTheSwitches)
{
    for (int i : { (int) MenuComponent::homeButton, (int) MenuComponent::nextButton,
                   (int) MenuComponent::bypassButton, (int) MenuComponent::slotBButton })
    {
        auto& button = *bar->buttons[(size_t) i];
        ASSERT_FALSE (button.getToggleState());
        const auto idle = button.createComponentSnapshot (button.getLocalBounds());
        button.setState (juce::Button::buttonOver);
        const auto hovered = button.createComponentSnapshot (button.getLocalBounds());
        button.setState (juce::Button::buttonNormal);

        bool differs = false;
        for (int y = 0; y < idle.getHeight() && ! differs; ++y)
            for (int x = 0; x < idle.getWidth() && ! differs; ++x)
                differs = idle.getPixelAt (x, y) != hovered.getPixelAt (x, y);

        const bool isSwitch = button.getClickingTogglesState();
        EXPECT_EQ (differs, ! isSwitch) << "button " << i;
    }
}

TEST_F (BarInWindow, TheBarLooksRight)
{
    bar->buttons[MenuComponent::slotAButton]->setToggleState (true, juce::dontSendNotification);
    const auto shot = bar->createComponentSnapshot (bar->getLocalBounds());
    saveScreenshot (shot, "bar.png");
    saveScreenshot (bar->createComponentSnapshot (bar->getLocalBounds(), true, 2.0f), "bar_design_units.png");

    ASSERT_EQ (shot.getWidth(), 1163);
    ASSERT_EQ (shot.getHeight(), 49);

    // The name strip's dark fill shows between the number and the name's end.
    EXPECT_EQ (shot.getPixelAt (430, 17).withAlpha (1.0f), juce::Colour (0xFF0E0E0E));
    // Red segments of the number "01." inside its first 20 pixels.
    bool sawRed = false;
    for (int x = 430; x < 450 && ! sawRed; ++x)
        for (int y = 16; y < 35 && ! sawRed; ++y)
        {
            const auto c = shot.getPixelAt (x, y);
            sawRed = c.getRed() > 200 && c.getGreen() < 60 && c.getBlue() < 60;
        }
    EXPECT_TRUE (sawRed);
}
