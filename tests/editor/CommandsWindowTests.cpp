#include "presets/infoWindow.h"
#include "presets/updateCheck.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/Fixtures.h"


namespace
{
    int countInfoWindows()
    {
        int count = 0;
        for (int i = 0; i < juce::Desktop::getInstance().getNumComponents(); ++i)
            count += dynamic_cast<InfoWindow*> (juce::Desktop::getInstance().getComponent (i)) != nullptr ? 1 : 0;
        return count;
    }

    /** The dialog the bar opened without blocking, if one is showing. */
    juce::Component* openDialog()
    {
        auto* modal = juce::ModalComponentManager::getInstance();
        return modal->getNumModalComponents() > 0 ? modal->getModalComponent (0) : nullptr;
    }

    /** Answers the open dialog as its button with that result would. */
    void answer (juce::Component* dialog, int result)
    {
        dialog->exitModalState (result);
        pump (50);
    }

    juce::FileBrowserComponent* browserIn (juce::Component* parent)
    {
        for (auto* child : parent->getChildren())
            if (auto* found = dynamic_cast<juce::FileBrowserComponent*> (child); found != nullptr || (found = browserIn (child)) != nullptr)
                return found;
        return nullptr;
    }

    struct CommandsWindowTest : CommandsBarTest
    {
        void SetUp() override
        {
            ignoreXErrors();
            CommandsBarTest::SetUp();
            bar->setVisible (true);
        }
        void TearDown() override
        {
            bar.reset();
            juce::ModalComponentManager::getInstance()->cancelAllModalComponents();
            pump (50);
        }
    };
}

TEST_F (CommandsWindowTest, TheInfoWindowShowsThePictureAtFortyPercentOneAtATimeAndGoesAfterItsCloseOrWithTheEditor)
{
    bar->showInfoWindow();
    pump (50);
    auto* window = bar->infoWindow.get();
    ASSERT_NE (window, nullptr);
    EXPECT_EQ (window->getName(), "Info");
    EXPECT_TRUE (window->isUsingNativeTitleBar() && window->isVisible() && window->isAlwaysOnTop() && window->isOnDesktop());
    using Peer = juce::ComponentPeer;
    EXPECT_EQ (window->getDesktopWindowStyleFlags() & (Peer::windowHasMinimiseButton | Peer::windowHasCloseButton | Peer::windowHasMaximiseButton),
               Peer::windowHasMinimiseButton | Peer::windowHasCloseButton);
    // 1146 x 1360 at 40 %, truncated; the version box and font from the window's height.
    EXPECT_EQ (window->getContentComponent(), &window->imageComponent);
    EXPECT_EQ (window->imageComponent.getBounds().withZeroOrigin(), juce::Rectangle<int> (458, 544));
    EXPECT_EQ (window->getHeight(), 544);
    EXPECT_EQ (window->getVersionFontHeight(), 14);
    EXPECT_EQ (window->getVersionTextArea(), juce::Rectangle<float> (357.0f, 62.0f, 50.0f, 50.0f));
    // The version text lies in the box, drawn light grey over the card.
    const auto shot = window->createComponentSnapshot (window->getLocalBounds());
    int greyPixels = 0;
    for (int y = 62; y < 112; ++y)
        for (int x = 357; x < 407; ++x)
            greyPixels += shot.getPixelAt (x, y).getPixelARGB().getNativeARGB() == juce::Colours::lightgrey.getARGB() ? 1 : 0;
    EXPECT_GT (greyPixels, 5);
    window->setSize (458, 1000);
    EXPECT_EQ (window->getVersionFontHeight(), 25);
    // Opening again replaces the window: one at a time.
    juce::Component::SafePointer<InfoWindow> shown (window);
    bar->showInfoWindow();
    pump (30);
    EXPECT_EQ (shown, nullptr);
    EXPECT_EQ (countInfoWindows(), 1);
    // Closing empties the bar's pointer at once and destroys the window after its close has returned.
    ASSERT_NE (shown = bar->infoWindow.get(), nullptr);
    shown->closeButtonPressed();
    EXPECT_EQ (bar->infoWindow, nullptr);
    ASSERT_NE (shown, nullptr);
    EXPECT_FALSE (shown->isVisible());
    pump (30);
    EXPECT_EQ (shown, nullptr);
    EXPECT_EQ (countInfoWindows(), 0);
    bar->showInfoWindow();
    ASSERT_NE (shown = bar->infoWindow.get(), nullptr);
    bar.reset();
    EXPECT_EQ (shown, nullptr);
    EXPECT_EQ (countInfoWindows(), 0);
}

TEST_F (CommandsWindowTest, DeleteAsksOnlyForAUserPresetAndOnlyYesForTheStillCurrentPresetOfALiveBarDeletes)
{
    press (MenuComponent::deleteButton);
    EXPECT_EQ (openDialog(), nullptr) << "no question for a Factory preset";
    // Yes after the bar has gone, or after another preset became current, deletes nothing.
    store().loadPreset (preset ("Lead.preset"));
    press (MenuComponent::deleteButton);
    auto* dialog = openDialog();
    ASSERT_NE (dialog, nullptr);
    EXPECT_EQ (dialog->getName(), "Delete preset");
    bar.reset();
    answer (dialog, 1);
    EXPECT_TRUE (user ("Lead.preset").existsAsFile());
    bar = std::make_unique<MenuComponent> (store());
    press (MenuComponent::deleteButton);
    ASSERT_NE (openDialog(), nullptr);
    store().loadPreset (preset ("Pad.preset"));
    answer (openDialog(), 1);
    EXPECT_TRUE (user ("Lead.preset").existsAsFile() && user ("Keys/Pad.preset").existsAsFile());
    store().loadPreset (preset ("Lead.preset"));
    press (MenuComponent::deleteButton);
    ASSERT_NE (openDialog(), nullptr);
    answer (openDialog(), 1);
    EXPECT_FALSE (user ("Lead.preset").exists());
    EXPECT_EQ (store().currentPreset, store().getDefaultTree());
}

TEST_F (CommandsWindowTest, ASaveOverAnotherPresetAsksFirstAndOnlyOkForTheStillCurrentPresetOfALiveBarWrites)
{
    const auto soft = user ("Keys/Soft.preset");
    const struct { int answer; bool otherPresetCurrent, barGone; float depthAfter; } rounds[] {
        { 0, false, false, 0.45f }, { 1, true, false, 0.45f }, { 1, false, true, 0.45f }, { 1, false, false, 0.9f } };
    for (const auto& round : rounds)
    {
        bar = bar != nullptr ? std::move (bar) : std::make_unique<MenuComponent> (store());
        store().loadPreset (preset ("Pad.preset"));
        setDepth (0.9f);
        commands::saveChosenFile (*bar, chosen ("Soft"));   // the dialog returned "Soft", not Soft.preset
        auto* dialog = openDialog();
        ASSERT_NE (dialog, nullptr);
        EXPECT_EQ (dialog->getName(), "Overwrite preset");
        if (round.otherPresetCurrent)
            store().loadPreset (preset ("Lead.preset"));
        if (round.barGone)
            bar.reset();
        answer (dialog, round.answer);
        EXPECT_FLOAT_EQ (depthIn (soft), round.depthAfter);
    }
    // The file the dialog itself returned, and so warned about, is written without a second question.
    setDepth (0.8f);
    commands::saveChosenFile (*bar, soft);
    EXPECT_EQ (openDialog(), nullptr);
    EXPECT_FLOAT_EQ (depthIn (soft), 0.8f);
}

TEST_F (CommandsWindowTest, TheBarOffersTheDownloadOnlyWhenTheServiceSaysTrue)
{
    for (const std::string reply : { "false", "true" })
    {
        bar.reset();
        LoopbackServer service (LoopbackServer::response ("200 OK", reply));
        quenwick::update::setServiceAddress (service.address());
        bar = std::make_unique<MenuComponent> (store());
        quenwick::update::setServiceAddress ({});
        pump (50);
        EXPECT_EQ (service.requestsSeen.load(), 1);
        ASSERT_EQ (openDialog() != nullptr, reply == "true");
    }
    auto* prompt = openDialog();
    EXPECT_EQ (prompt->getName(), "New plugin update");
    bar.reset(); // the prompt outlives the bar; Cancel then opens nothing and touches nothing
    answer (prompt, 0);
    EXPECT_EQ (openDialog(), nullptr);
}

TEST_F (CommandsWindowTest, TheChoosersOpenOnTheSaveFolderAndGoWithTheBar)
{
    const struct { const char* current; int button; const char* title; juce::File root; } choosers[] {
        { "Bright.preset", MenuComponent::loadButton, "Load preset file", home.userPresetDirectory() },
        { "Bright.preset", MenuComponent::saveButton, "Save preset file", home.userPresetDirectory() },
        { "Pad.preset", MenuComponent::saveButton, "Save preset file", user ("Keys") }, // where the save will land
    };
    for (const auto& chooser : choosers)
    {
        store().loadPreset (preset (chooser.current));
        press (chooser.button);
        pump (100);
        ASSERT_NE (bar->fileChooser, nullptr);
        ASSERT_NE (openDialog(), nullptr);
        EXPECT_EQ (openDialog()->getName(), chooser.title);
        auto* browser = browserIn (openDialog());
        ASSERT_NE (browser, nullptr);
        EXPECT_EQ (browser->getRoot(), chooser.root);
        EXPECT_EQ (browser->isSaveMode(), chooser.button == MenuComponent::saveButton);
    }
    const auto treeBefore = store().filesTree.createCopy();
    bar.reset();
    pump (100);
    EXPECT_EQ (openDialog(), nullptr);
    EXPECT_TRUE (store().filesTree.isEquivalentTo (treeBefore));
}
