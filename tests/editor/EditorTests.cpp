#include "editor/PluginEditor.h"
#include "presets/infoWindow.h"
#include "presets/updateCheck.h"
#include "tests/support/Fixtures.h"
#include "tests/support/LoopbackServer.h"

namespace ids = ParameterIds;

namespace
{
    juce::Component* openDialog()  { return juce::ModalComponentManager::getInstance()->getModalComponent (0); }   // or menu, opened without blocking
    juce::String openDialogName()  { return openDialog() != nullptr ? openDialog()->getName() : "none"; }

    juce::MemoryBlock png (const juce::Image& image)   // equal bytes, equal pixels
        { juce::MemoryOutputStream out; juce::PNGImageFormat().writeImageToStream (image, out); return out.getMemoryBlock(); }

    /** CommandsBarTest's bar in a window of its own; its renames and the gestures on "rate1" are counted here; the editor once opened. */
    struct Window : CommandsBarTest, quenwick::Label::Listener, juce::AudioProcessorParameter::Listener
    {
        void SetUp() override
        {
            ignoreXErrors();
            CommandsBarTest::SetUp();
            bar->addToDesktop (0);
            bar->setVisible (true);
            bar->toFront (true);
            bar->presetLabel->listeners.add (this);
            processor->apvts.getParameter (ids::rate1)->addListener (this);
            pumpUntil ([this] { return bar->getPeer() != nullptr && bar->getPeer()->isFocused(); });   // as a user's window is
        }
        void TearDown() override
        {
            editor.reset();
            bar.reset();
            juce::ModalComponentManager::getInstance()->cancelAllModalComponents();
            pumpUntil ([] { return openDialog() == nullptr; });
        }
        void labelNameChange (int, juce::String name) override  { renames.add (name); }
        void parameterValueChanged (int, float) override {}
        void parameterGestureChanged (int, bool starting) override  { ++(starting ? gesturesBegun : gesturesEnded); }
        void reply (juce::Component* dialog, int result)   // the dialog goes once its answer has been handled
        {
            juce::Component::SafePointer<juce::Component> answered (dialog);
            dialog->exitModalState (result);
            EXPECT_TRUE (pumpUntil ([&answered] { return answered == nullptr; }));
        }
        void open()  { editor = std::make_unique<MarlinetAudioProcessorEditor> (*processor); editor->setVisible (true); }   // off the desktop
        void set (std::initializer_list<std::pair<const char*, float>> values)  { for (auto [id, value] : values) setParameter (*processor, id, value); }

        juce::StringArray renames;
        int gesturesBegun = 0, gesturesEnded = 0;
        std::unique_ptr<MarlinetAudioProcessorEditor> editor;
    };
}

TEST_F (Window, LinkRebindsTheRightHandFromEverySourceEndingAHeldKnobsGestureAndKeeping3ButtonAnd8SliderAttachments)
{
    open();
    editor.reset();   // a closed editor listens no more
    set ({ { ids::link, 1 }, { ids::rate1, 100 }, { ids::depth1, 0.25f }, { ids::volume1, 2 }, { ids::pan1, 3 }, { ids::sync1, 1 }, { ids::rate2, 33 } });
    std::thread ([this] { setParameter (*processor, ids::depth2, 0.75f); }).join();
    open();
    editor->rateKnob2->mouseDown (mouseAtCentre (*editor->rateKnob2, 1));   // held through the first change
    const std::function<void (float)> sources[] {   // automation, a click, a state restore, another thread (these two act at the next turn)
        [this] (float on) { set ({ { ids::link, on } }); },
        [this] (float) { editor->linkButton->triggerClick(); },
        [this] (float on) { auto tree = processor->apvts.copyState(); tree.getChildWithProperty ("id", ids::link).setProperty ("value", on, nullptr);
                            const auto bytes = bytesOf (tree); processor->setStateInformation (bytes.getData(), (int) bytes.getSize()); },
        [this] (float on) { std::thread ([&] { setParameter (*processor, ids::link, on); }).join(); } };
    const char* sections[2][4] { { ids::rate2, ids::depth2, ids::volume2, ids::pan2 }, { ids::rate1, ids::depth1, ids::volume1, ids::pan1 } };
    const int children = editor->bodyContainer->getNumChildComponents();
    for (int i = -1; i < 16; ++i)   // as opened with link on, then every source both ways after each of the others
    {
        const bool on = i % 2 != 0;
        SCOPED_TRACE ("source " + juce::String ((i + i / 4) % 4) + (on ? " on" : " off"));
        if (i >= 0) sources[(i + i / 4) % 4] (on ? 1.0f : 0.0f);
        pumpUntil ([&] { return parameterValue (*processor, ids::link) == (on ? 1.0f : 0.0f) && editor->linkButton->getToggleState() == on
                                && editor->rateKnob2->getValue() == parameterValue (*processor, on ? ids::rate1 : ids::rate2); });
        ASSERT_EQ (parameterValue (*processor, ids::link), on ? 1.0f : 0.0f);
        EXPECT_TRUE (gesturesBegun == 1 && gesturesEnded == (i < 0 ? 0 : 1) && editor->linkButton->getToggleState() == on);
        const juce::Slider* knobs[] { editor->rateKnob2.get(), editor->depthKnob2.get(), editor->volumeKnob2.get(), editor->panKnob2.get() };
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ (knobs[k]->getValue(), parameterValue (*processor, sections[on][k])) << k;   // the values differ between the sections
        EXPECT_TRUE (editor->syncButton1->getToggleState() && editor->syncButton2->getToggleState() == on);   // "sync1" on, "sync2" off
        ASSERT_TRUE (editor->buttonAttachments.size() == 3 && editor->sliderAttachments.size() == 8 && editor->bodyContainer->getNumChildComponents() == children);
    }
    editor->rateKnob2->mouseDoubleClick (mouseAtCentre (*editor->rateKnob2, 2));   // a double-click returns it to the bound default
    EXPECT_FLOAT_EQ (parameterValue (*processor, ids::rate1), 120.0f);   // not exact after the normalised round trip
}

TEST (KnobFilmstrip, PositionsDrawFrames0And59And118AndTheLastOnlyAtTheTop)
{
    KnobLookAndFeel speed (true);
    ASSERT_EQ (speed.getStrip().getBounds(), juce::Rectangle<int> (130, 14999));   // 120 frames of 130 x 125, the last one row short
    EXPECT_TRUE (KnobLookAndFeel::frameForPosition (0, 0.7f) == 0 && KnobLookAndFeel::frameForPosition (14999, 1.01f) == 119);
    juce::Slider slider;
    for (auto [position, frame] : { std::pair { 0.0f, 0 }, { 0.5f, 59 }, { 0.999f, 118 }, { 1.0f, 119 } })
    {
        juce::Image drawn (juce::Image::ARGB, 130, 125, true);
        speed.drawRotarySlider (*std::make_unique<juce::Graphics> (drawn), 7, 9, 130, 125, position, 0.0f, 1.0f, slider);
        EXPECT_EQ (png (drawn.getClippedImage ({ 130, 124 })), png (speed.getStrip().getClippedImage ({ 0, frame * 125, 130, 124 }))) << position;
    }
}

TEST_F (Window, OnlyADoubleClickRenamesTakingTwentyAllowedCharactersAndReportingOnceOnReturnOrFocusLossNotUnchangedOrCancelled)
{
    store().loadPreset (preset ("Lead.preset"));
    store().stateChanged = false;   // else the bar's next check puts the name back
    juce::Label& label = bar->presetLabel->nameLabel;   // its name has spaces, yet opens whole
    static_cast<juce::Component&> (label).mouseUp (mouseAtCentre (label, 1));   // mouse handlers are public on Component only
    EXPECT_EQ (label.getCurrentTextEditor(), nullptr);
    struct Round { juce::String typed, shown; int key; bool pasted; const char* reported; };   // key 0: the focus moves away
    const Round rounds[] { { {}, label.getText(), 0, false, "" }, { "Other", "Other", juce::KeyPress::escapeKey, false, "" },
        { juce::CharPointer_UTF8 ("Ab W-w\xc3\xa9_9cdefghijklmnopqrstuvxyz"), "Ab9cdefghijklmnopqrs", juce::KeyPress::returnKey, false, "Ab9cdefghijklmnopqrs" },
        { "New Wave 2", "Neave2", 0, true, "Ab9cdefghijklmnopqrs Neave2" } };   // refused: space, W, -, w, e acute and _, also when pasted
    for (const auto& round : rounds)
    {
        const auto before = label.getText();
        static_cast<juce::Component&> (label).mouseDoubleClick (mouseAtCentre (label, 2));
        auto* field = label.getCurrentTextEditor();
        ASSERT_TRUE (field != nullptr && field->getText() == before && field->hasKeyboardFocus (true)) << round.shown;
        field->selectAll();
        round.pasted ? field->insertTextAtCaret (round.typed) : typeInto (*field, round.typed);
        EXPECT_EQ (field->getText(), round.shown);
        round.key != 0 ? (void) field->keyPressed (juce::KeyPress (round.key)) : field->giveAwayKeyboardFocus();
        EXPECT_TRUE (pumpUntil ([&label] { return label.getCurrentTextEditor() == nullptr; }));
        EXPECT_EQ (label.getText(), round.key == juce::KeyPress::escapeKey ? before : round.shown);
        EXPECT_EQ (renames.joinIntoString (" "), round.reported);
    }
    EXPECT_EQ (juce::File (store().pendingPreset["path"].toString()), user ("Neave2.preset"));
    EXPECT_EQ (store().currentPreset, preset ("Lead.preset"));   // a rename renames no file by itself
}

TEST_F (Window, TheMenuTheChoosersAndTheInfoWindowGoWithTheBarAndTheChoosersOpenOnTheSaveFolder)
{
    const auto windows = juce::Desktop::getInstance().getNumComponents();   // the bar's among them
    press (MenuComponent::presetsButton);
    ASSERT_TRUE (pumpUntil ([] { return openDialog() != nullptr; }));
    bar.reset();
    EXPECT_TRUE (pumpUntil ([windows] { return openDialog() == nullptr && juce::Desktop::getInstance().getNumComponents() == windows - 1; }));
    EXPECT_EQ (store().currentPreset, store().getDefaultTree());
    bar = std::make_unique<MenuComponent> (store());
    const struct { const char* current; int button; const char* title; juce::File root; } choosers[] {
        { "Bright.preset", MenuComponent::loadButton, "Load preset file", home.userPresetDirectory() },
        { "Bright.preset", MenuComponent::saveButton, "Save preset file", home.userPresetDirectory() },
        { "Pad.preset", MenuComponent::saveButton, "Save preset file", user ("Keys") } };   // where the save will land
    for (const auto& chooser : choosers)
    {
        store().loadPreset (preset (chooser.current));
        press (chooser.button);
        pumpUntil ([&chooser] { return openDialogName() == chooser.title; });
        ASSERT_EQ (openDialogName(), chooser.title);
        auto* browser = openDialog();
        while (browser != nullptr && dynamic_cast<juce::FileBrowserComponent*> (browser) == nullptr)
            browser = browser->getChildComponent (0);
        ASSERT_NE (browser, nullptr);
        EXPECT_EQ (static_cast<juce::FileBrowserComponent*> (browser)->getRoot(), chooser.root);
        EXPECT_EQ (static_cast<juce::FileBrowserComponent*> (browser)->isSaveMode(), chooser.button == MenuComponent::saveButton);
    }
    const auto tree = store().filesTree.createCopy();
    bar->showInfoWindow();
    juce::Component::SafePointer<InfoWindow> info (bar->infoWindow.get());
    bar.reset();
    EXPECT_TRUE (pumpUntil ([&info] { return openDialog() == nullptr && info == nullptr; }));
    EXPECT_TRUE (store().filesTree.isEquivalentTo (tree));
}

TEST_F (Window, TheInfoWindowDrawsTheVersionOverTheCardOneAtATimeAndClosesSafely)
{
    bar->showInfoWindow();
    juce::Component::SafePointer<InfoWindow> shown (bar->infoWindow.get());
    ASSERT_TRUE (shown != nullptr && shown->isOnDesktop() && shown->isVisible());
    // The card at 40 % (1146 x 1360, truncated), the version over its caption in light grey, 14 px high at this height;
    const juce::Rectangle<int> topHalf (458, 272);   // the top half: JUCE's splash may still fade out in the bottom corner
    auto expected = shown->imageComponent.createComponentSnapshot (topHalf).convertedToFormat (juce::Image::RGB);
    juce::Graphics g (expected);
    g.setColour (juce::Colours::lightgrey);
    g.setFont (14.0f);
    g.drawText ("1.3.0", juce::Rectangle<float> (357.0f, 62.0f, 50.0f, 50.0f), juce::Justification::centredLeft);
    EXPECT_EQ (png (shown->createComponentSnapshot (topHalf).convertedToFormat (juce::Image::RGB)), png (expected));
    bar->showInfoWindow();
    EXPECT_EQ (shown, nullptr);   // replaced; a close lets go of the new one at once and destroys it once the close has returned
    (shown = bar->infoWindow.get())->closeButtonPressed();
    EXPECT_TRUE (bar->infoWindow == nullptr && shown != nullptr && ! shown->isVisible());
    EXPECT_TRUE (pumpUntil ([&shown] { return shown == nullptr; }));
}

TEST_F (Window, DeleteAndOverwriteAskFirstAndOnlyYesForTheStillCurrentPresetOfALiveBarActs)
{
    press (MenuComponent::deleteButton);   // no question for a Factory preset
    store().loadPreset (preset ("Pad.preset"));   // depth 0.4
    commands::saveChosenFile (*bar, user ("Keys/Soft.preset"));   // nor for the file the save dialog itself returned, and so warned about
    EXPECT_EQ (openDialog(), nullptr);
    for (const bool deleting : { false, true })
        for (auto [answer, otherPresetCurrent, barGone, acts] : { std::array { 0, 0, 0, 0 }, { 1, 1, 0, 0 }, { 1, 0, 1, 0 }, { 1, 0, 0, 1 } })
        {
            bar = bar != nullptr ? std::move (bar) : std::make_unique<MenuComponent> (store());
            store().loadPreset (preset (deleting ? "Lead.preset" : "Pad.preset"));
            setDepth (0.9f);
            deleting ? press (MenuComponent::deleteButton) : commands::saveChosenFile (*bar, chosen ("Soft"));   // "Soft", not Soft.preset
            ASSERT_EQ (openDialogName(), deleting ? "Delete preset" : "Overwrite preset");
            if (otherPresetCurrent) store().loadPreset (preset (deleting ? "Pad.preset" : "Lead.preset"));
            if (barGone) bar.reset();
            reply (openDialog(), answer);   // it outlives the bar
            if (deleting) EXPECT_EQ (user ("Lead.preset").existsAsFile(), ! acts) << answer;
            else EXPECT_FLOAT_EQ (depthIn (user ("Keys/Soft.preset")), acts ? 0.9f : 0.4f) << answer;
        }
    EXPECT_TRUE (store().currentPreset == store().getDefaultTree() && user ("Keys/Pad.preset").existsAsFile());
}

TEST_F (Window, TheDownloadIsOfferedOnlyWhenTheServiceSaysTrueAndItsPromptOutlivesTheBar)
{
    for (const std::string says : { "false", "true" })
    {
        LoopbackServer service (LoopbackServer::response ("200 OK", says));
        quenwick::update::setServiceAddress (service.address());
        bar = std::make_unique<MenuComponent> (store());   // a new bar asks once
        quenwick::update::setServiceAddress ({});
        EXPECT_EQ (service.requestsSeen, 1);
        ASSERT_EQ (openDialogName(), says == "true" ? "New plugin update" : "none");
    }
    bar.reset();
    reply (openDialog(), 0);   // the prompt outlives the bar; Cancel then touches nothing
}

TEST_F (Window, TheFixedEditorShowsTheBarOverTheHalfScaleBodyWhoseRefreshesRoundTheSpeedsBlinkEachHalfBeatAndDimTheLogoWhenBypassed)
{
    // JUCE's splash covers a corner for two seconds from an editor's first paint, then fades: the screenshots wait until it has gone.
    const auto splashGone = [this]
        { return std::none_of (editor->getChildren().begin(), editor->getChildren().end(), [] (auto* c) { return dynamic_cast<juce::JUCESplashScreen*> (c) != nullptr; }); };
    auto refresh = [&] (const char* screenshot, const char* rates, bool bypassed)   // the logo's brightness once a refresh shows these
    {
        EXPECT_TRUE (pumpUntil ([&] { return editor->rateReadout1->getText() + " " + editor->rateReadout2->getText() == rates
                                              && editor->logoPanel->isEnabled() != bypassed && splashGone(); })) << screenshot;
        const auto image = editor->createComponentSnapshot (editor->getLocalBounds(), true, 1.0f);
        EXPECT_TRUE (writeScreenshot (image, juce::String ("editor-") + screenshot + ".png"));
        double sum = 0.0;
        for (int i = 0; i < 80 * 34; ++i)
            sum += image.getPixelAt (540 + i % 80, 130 + i / 80).getPerceivedBrightness();
        return sum;
    };
    open();
    EXPECT_TRUE (editor->getBounds() == juce::Rectangle<int> (1163, 245) && ! editor->isResizable() && editor->resizableCorner == nullptr);
    EXPECT_TRUE (editor->getChildComponent (0) == editor->presetBar.get() && editor->presetBar->getBounds() == juce::Rectangle<int> (1163, 49));
    EXPECT_TRUE (editor->getChildComponent (1) == editor->bodyContainer.get()
                 && editor->getLocalArea (editor->bodyContainer.get(), editor->bodyContainer->getLocalBounds()) == juce::Rectangle<int> (0, 49, 1163, 196));
    // The background lies behind every control, and the logo lets clicks through to it.
    EXPECT_TRUE (editor->bodyContainer->getChildComponent (0) == editor->backgroundView.get() && editor->getComponentAt (580, 147) == editor->backgroundView.get());
    editor->createComponentSnapshot (editor->getLocalBounds());   // a first paint starts the splash's time
    const auto lit = refresh ("default", "120 60", false);
    set ({ { ids::rate1, 160 } });   // the indicators' starting speed: a new editor's first refresh must still start the blink
    open();
    EXPECT_TRUE (pumpUntil ([this] { return editor->tempoLCD1->getTimerInterval() == 187 && editor->tempoLCD2->getTimerInterval() == 500; }));
    for (const auto* text : { "1", "|", "1", "|" })
        EXPECT_EQ ((editor->tempoLCD2->timerCallback(), editor->tempoLCD2->getText()), text);
    set ({ { ids::link, 1 }, { ids::rate1, 120.6f }, { ids::rate2, 60.4f }, { ids::depth1, 0.8f }, { ids::sync1, 1 } });
    EXPECT_EQ (refresh ("linked", "121 60", false), lit);
    const auto shown = editor->rateReadout1->getText() + " " + editor->rateReadout2->getText() + " " + juce::String (editor->tempoLCD1->getTimerInterval());
    EXPECT_EQ (shown, "121 60 247");   // linked, the right readout still shows "rate2"; 121 BPM blinks every 247 ms
    set ({ { ids::link, 0 }, { ids::bypass, 1 } });
    EXPECT_LT (refresh ("bypassed", "121 60", true), lit * 0.6);
    for (auto [speed, rounded] : { std::pair { 68.5f, 69.0f }, { -2.5f, -3.0f }, { 0.49999997f, 0.0f }, { 120.49999f, 120.0f } })
        EXPECT_EQ (MarlinetAudioProcessorEditor::roundSpeed (speed), rounded) << speed;   // halves away from zero, the float below one half not
    EXPECT_TRUE (TempoLCD::halfBeatMilliseconds (69) == 434 && TempoLCD::halfBeatMilliseconds (0) == 0 && TempoLCD::halfBeatMilliseconds (-5) == 0);
}
