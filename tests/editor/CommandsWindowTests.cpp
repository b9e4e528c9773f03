#include "presets/infoWindow.h"
#include "presets/menuComponent.h"
#include "presets/updateCheck.h"
#include "tests/unit/CommandsLoopbackServer.h"
#include "tests/unit/CommandsTestSupport.h"

#include <dlfcn.h>

using namespace commandstest;
using quenwick::MenuComponent;

namespace
{
    void pump (int milliseconds)
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
    }

    /** A bare virtual display has no window manager, so X reports errors for the WM atoms
        JUCE asks for; Xlib's default handler would end the program on the first one. */
    void ignoreXErrors()
    {
        using Handler = int (*) (void*, void*);
        using SetHandler = Handler (*) (Handler);

        juce::Desktop::getInstance();

        if (auto* x11 = dlopen ("libX11.so.6", RTLD_NOW | RTLD_NOLOAD))
            if (auto set = reinterpret_cast<SetHandler> (dlsym (x11, "XSetErrorHandler")))
                set ([] (void*, void*) { return 0; });
    }

    int countInfoWindows()
    {
        int count = 0;
        auto& desktop = juce::Desktop::getInstance();

        for (int i = 0; i < desktop.getNumComponents(); ++i)
            if (dynamic_cast<InfoWindow*> (desktop.getComponent (i)) != nullptr)
                ++count;

        return count;
    }

    /** The dialog the bar opened without blocking, if one is showing. */
    juce::Component* openDialog()
    {
        auto* modal = juce::ModalComponentManager::getInstance();
        return modal->getNumModalComponents() > 0 ? modal->getModalComponent (0) : nullptr;
    }

    template <typename Type>
    Type* findChild (juce::Component& parent)
    {
        for (auto* child : parent.getChildren())
        {
            if (auto* found = dynamic_cast<Type*> (child))
                return found;

            if (auto* found = findChild<Type> (*child))
                return found;
        }

        return nullptr;
    }

    /** Answers the open dialog as its button with that result would. */
    void answer (juce::Component& dialog, int result)
    {
        dialog.exitModalState (result);
        pump (50);
    }

    struct CommandsWindowTest : CommandsTest
    {
        void SetUp() override
        {
            ignoreXErrors();
            quenwick::update::setServiceAddress ({});
            CommandsTest::SetUp();
            bar = std::make_unique<MenuComponent> (store());
            bar->setVisible (true);
        }

        void TearDown() override
        {
            bar.reset();
            juce::ModalComponentManager::getInstance()->cancelAllModalComponents();
            pump (50);
        }

        std::unique_ptr<MenuComponent> bar;
    };
}

TEST_F (CommandsWindowTest, TheInfoWindowShowsThePictureAtFortyPercentWithTheVersionOverIt)
{
    bar->showInfoWindow();
    pump (50);

    auto* window = bar->infoWindow.get();
    ASSERT_NE (window, nullptr);
    EXPECT_EQ (window->getName(), "Info");
    EXPECT_TRUE (window->isUsingNativeTitleBar());
    EXPECT_TRUE (window->isVisible());
    EXPECT_TRUE (window->isAlwaysOnTop());
    EXPECT_TRUE (window->isOnDesktop());

    const auto styles = window->getDesktopWindowStyleFlags();
    EXPECT_NE (styles & juce::ComponentPeer::windowHasMinimiseButton, 0);
    EXPECT_NE (styles & juce::ComponentPeer::windowHasCloseButton, 0);
    EXPECT_EQ (styles & juce::ComponentPeer::windowHasMaximiseButton, 0);

    // 1146 x 1360 at 40 %, truncated.
    EXPECT_EQ (window->getContentComponent(), &window->imageComponent);
    EXPECT_EQ (window->imageComponent.getWidth(), 458);
    EXPECT_EQ (window->imageComponent.getHeight(), 544);
    EXPECT_EQ (window->getHeight(), 544);
    EXPECT_EQ (window->getVersionFontHeight(), 14);
    EXPECT_EQ (window->getVersionTextArea(), juce::Rectangle<float> (357.0f, 62.0f, 50.0f, 50.0f));

    // The version text lies in the box, drawn light grey over the card.
    const auto shot = window->createComponentSnapshot (window->getLocalBounds());
    const juce::File shots (MARLINET_SCREENSHOT_DIR);
    shots.createDirectory();
    shots.getChildFile ("info-window.png").deleteFile();
    juce::FileOutputStream out (shots.getChildFile ("info-window.png"));
    juce::PNGImageFormat().writeImageToStream (shot, out);

    int greyPixels = 0;
    for (int y = 62; y < 112; ++y)
        for (int x = 357; x < 407; ++x)
            if (shot.getPixelAt (x, y).getPixelARGB().getNativeARGB() == juce::Colours::lightgrey.getARGB())
                ++greyPixels;
    EXPECT_GT (greyPixels, 5);

    // The font follows the window's height at every paint.
    window->setSize (458, 1000);
    EXPECT_EQ (window->getVersionFontHeight(), 25);
}

TEST_F (CommandsWindowTest, OpeningTwiceLeavesOneWindowTheNewerOne)
{
    bar->showInfoWindow();
    juce::Component::SafePointer<InfoWindow> first (bar->infoWindow.get());

    bar->showInfoWindow();
    pump (30);

    EXPECT_EQ (first, nullptr);
    EXPECT_NE (bar->infoWindow, nullptr);
    EXPECT_EQ (countInfoWindows(), 1);
}

TEST_F (CommandsWindowTest, ClosingTheWindowEmptiesTheBarsPointerAndDestroysItAfterTheClose)
{
    bar->showInfoWindow();
    juce::Component::SafePointer<InfoWindow> window (bar->infoWindow.get());

    window->closeButtonPressed();

    EXPECT_EQ (bar->infoWindow, nullptr);
    ASSERT_NE (window, nullptr); // still running its own close: it goes on the next turn
    EXPECT_FALSE (window->isVisible());

    pump (30);
    EXPECT_EQ (window, nullptr);
    EXPECT_EQ (countInfoWindows(), 0);

    bar->showInfoWindow();
    EXPECT_NE (bar->infoWindow, nullptr);
}

TEST_F (CommandsWindowTest, ClosingTheEditorClosesTheWindow)
{
    bar->showInfoWindow();
    juce::Component::SafePointer<InfoWindow> window (bar->infoWindow.get());

    bar.reset();

    EXPECT_EQ (window, nullptr);
    EXPECT_EQ (countInfoWindows(), 0);
}

TEST_F (CommandsWindowTest, DeleteAsksOnlyForAUserPresetAndYesDeletesIt)
{
    bar->buttonClicked (bar->buttons[MenuComponent::deleteButton].get());
    EXPECT_EQ (openDialog(), nullptr) << "no question for a Factory preset";

    store().loadPreset (preset ("Lead.preset"));
    bar->buttonClicked (bar->buttons[MenuComponent::deleteButton].get());
    auto* dialog = openDialog();
    ASSERT_NE (dialog, nullptr);
    EXPECT_EQ (dialog->getName(), "Delete preset");

    answer (*dialog, 0);
    EXPECT_TRUE (user ("Lead.preset").existsAsFile());

    bar->buttonClicked (bar->buttons[MenuComponent::deleteButton].get());
    dialog = openDialog();
    ASSERT_NE (dialog, nullptr);
    answer (*dialog, 1);
    EXPECT_FALSE (user ("Lead.preset").exists());
    EXPECT_EQ (store().currentPreset, store().getDefaultTree());
}

TEST_F (CommandsWindowTest, AnAnswerAfterTheBarHasGoneOrTheCurrentPresetChangedDeletesNothing)
{
    store().loadPreset (preset ("Lead.preset"));
    bar->buttonClicked (bar->buttons[MenuComponent::deleteButton].get());
    auto* dialog = openDialog();
    ASSERT_NE (dialog, nullptr);

    bar.reset();
    answer (*dialog, 1);
    EXPECT_TRUE (user ("Lead.preset").existsAsFile());

    bar = std::make_unique<MenuComponent> (store());
    bar->buttonClicked (bar->buttons[MenuComponent::deleteButton].get());
    dialog = openDialog();
    ASSERT_NE (dialog, nullptr);

    // While the question is open another preset becomes current.
    store().loadPreset (preset ("Pad.preset"));
    answer (*dialog, 1);
    EXPECT_TRUE (user ("Lead.preset").existsAsFile());
    EXPECT_TRUE (user ("Keys/Pad.preset").existsAsFile());
}

TEST_F (CommandsWindowTest, TheBarOffersTheDownloadOnlyWhenTheServiceSaysTrue)
{
    bar.reset();

    {
        LoopbackServer service (LoopbackServer::response ("200 OK", "false"));
        quenwick::update::setServiceAddress (service.address());
        bar = std::make_unique<MenuComponent> (store());
        quenwick::update::setServiceAddress ({});
        pump (50);

        EXPECT_EQ (service.requestsSeen(), 1);
        EXPECT_EQ (openDialog(), nullptr);
    }

    bar.reset();

    {
        LoopbackServer service (LoopbackServer::response ("200 OK", "true"));
        quenwick::update::setServiceAddress (service.address());
        bar = std::make_unique<MenuComponent> (store());
        quenwick::update::setServiceAddress ({});
        pump (50);

        auto* prompt = openDialog();
        ASSERT_NE (prompt, nullptr);
        EXPECT_EQ (prompt->getName(), "New plugin update");

        // The prompt outlives the bar; Cancel then opens nothing and touches nothing.
        bar.reset();
        answer (*prompt, 0);
        EXPECT_EQ (openDialog(), nullptr);
    }
}

TEST_F (CommandsWindowTest, TheChoosersOpenOnTheUserFolderAndGoWithTheBar)
{
    for (const auto index : { MenuComponent::loadButton, MenuComponent::saveButton })
    {
        bar->buttonClicked (bar->buttons[(size_t) index].get());
        pump (100);

        ASSERT_NE (bar->fileChooser, nullptr);
        EXPECT_EQ (bar->fileChooser->getResult(), juce::File());

        auto* dialog = openDialog();
        ASSERT_NE (dialog, nullptr);
        EXPECT_EQ (dialog->getName(), index == MenuComponent::loadButton ? "Load preset file" : "Save preset file");

        auto* browser = findChild<juce::FileBrowserComponent> (*dialog);
        ASSERT_NE (browser, nullptr);
        EXPECT_EQ (browser->getRoot(), home.userPresetDirectory());
        EXPECT_EQ (browser->isSaveMode(), index == MenuComponent::saveButton);

        // A new click replaces the open chooser.
        juce::Component::SafePointer<juce::Component> first (dialog);
        bar->buttonClicked (bar->buttons[(size_t) index].get());
        pump (100);
        EXPECT_EQ (first, nullptr);
    }

    // From a preset in a user sub-folder the save goes to that folder, and so does its chooser.
    store().loadPreset (preset ("Pad.preset"));
    bar->buttonClicked (bar->buttons[MenuComponent::saveButton].get());
    pump (100);
    ASSERT_NE (openDialog(), nullptr);
    auto* browser = findChild<juce::FileBrowserComponent> (*openDialog());
    ASSERT_NE (browser, nullptr);
    EXPECT_EQ (browser->getRoot(), user ("Keys"));

    const auto treeBefore = store().filesTree.createCopy();
    bar.reset();
    pump (100);

    EXPECT_EQ (openDialog(), nullptr);
    EXPECT_TRUE (store().filesTree.isEquivalentTo (treeBefore));
}
