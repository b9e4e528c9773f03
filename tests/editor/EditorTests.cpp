#include <gtest/gtest.h>

#include "editor/PluginEditor.h"
#include "presets/updateCheck.h"
#include "tests/support/TempHome.h"

#include <cmath>
#include <thread>

namespace
{
    void pump (int milliseconds)
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
    }

    /** Opens the real editor on a fresh processor in a temporary home. */
    struct EditorFixture : ::testing::Test
    {
        // No test asks the real update service; the address is put back for other suites.
        EditorFixture()            { quenwick::update::setServiceAddress ({}); }
        ~EditorFixture() override  { quenwick::update::setServiceAddress (previousServiceAddress); }

        const juce::String previousServiceAddress = quenwick::update::getServiceAddress();

        TempHome home;
        MarlinetAudioProcessor processor;
        std::unique_ptr<MarlinetAudioProcessorEditor> editor;

        /** Opens the editor and shows it as a host would. It stays off the desktop: a
            window on a bare virtual display without a window manager fails in X11. */
        void open()
        {
            editor = std::make_unique<MarlinetAudioProcessorEditor> (processor);
            editor->setVisible (true);
        }

        juce::RangedAudioParameter& parameter (const char* id)  { return *processor.apvts.getParameter (id); }

        float raw (const char* id)  { return processor.apvts.getRawParameterValue (id)->load(); }

        /** Sets a parameter as host automation would; on this (message) thread attachments
            follow at once. */
        void set (const char* id, float plainValue)
        {
            auto& p = parameter (id);
            p.setValueNotifyingHost (p.convertTo0to1 (plainValue));
        }

        /** Sets a parameter so that its raw value is exactly plainValue: the normalised round
            trip may land one float step off, so nearby normalised values are tried. */
        void setExactly (const char* id, float plainValue)
        {
            auto& p = parameter (id);
            float normalised = p.convertTo0to1 (plainValue);
            p.setValueNotifyingHost (normalised);

            for (int step = 0; step < 64 && raw (id) != plainValue; ++step)
            {
                normalised = std::nextafter (normalised, raw (id) < plainValue ? 2.0f : -1.0f);
                p.setValueNotifyingHost (normalised);
            }

            ASSERT_EQ (raw (id), plainValue);
        }

        /** Restores a host state equal to the current one except for "link". */
        void restoreStateWithLink (bool linkOn)
        {
            auto tree = processor.apvts.copyState();
            tree.getChildWithProperty ("id", ParameterIds::link).setProperty ("value", linkOn ? 1.0 : 0.0, nullptr);

            juce::MemoryBlock bytes;
            {
                juce::MemoryOutputStream out (bytes, false);
                tree.writeToStream (out);
            }
            processor.setStateInformation (bytes.getData(), (int) bytes.getSize());
        }

        bool rightHandIsLinked()
        {
            const auto& r = *editor;
            // The two speed ranges differ (69..160 and 19..90): the range tells the binding.
            return r.rateKnob2->getMinimum() == 69.0 && r.rateKnob2->getMaximum() == 160.0;
        }

        void expectRightHandBoundToSection2()
        {
            EXPECT_EQ (editor->rateKnob2->getMinimum(), 19.0);
            EXPECT_EQ (editor->rateKnob2->getMaximum(), 90.0);
            EXPECT_EQ (editor->rateKnob2->getValue(), raw (ParameterIds::rate2));
            EXPECT_EQ (editor->depthKnob2->getValue(), raw (ParameterIds::depth2));
            EXPECT_EQ (editor->volumeKnob2->getValue(), raw (ParameterIds::volume2));
            EXPECT_EQ (editor->panKnob2->getValue(), raw (ParameterIds::pan2));
        }

        void expectRightHandBoundToSection1()
        {
            EXPECT_TRUE (rightHandIsLinked());
            EXPECT_EQ (editor->rateKnob2->getValue(), raw (ParameterIds::rate1));
            EXPECT_EQ (editor->depthKnob2->getValue(), raw (ParameterIds::depth1));
            EXPECT_EQ (editor->volumeKnob2->getValue(), raw (ParameterIds::volume1));
            EXPECT_EQ (editor->panKnob2->getValue(), raw (ParameterIds::pan1));
        }

        void doubleClick (juce::Component& component)
        {
            const auto now = juce::Time::getCurrentTime();
            const auto centre = component.getLocalBounds().getCentre().toFloat();
            const juce::MouseEvent event (juce::Desktop::getInstance().getMainMouseSource(), centre, {},
                                          juce::MouseInputSource::defaultPressure, 0.0f, 0.0f, 0.0f, 0.0f,
                                          &component, &component, now, centre, now, 2, false);
            component.mouseDoubleClick (event);
        }

        /** Mean brightness of an area of the editor as painted. */
        float brightness (juce::Rectangle<int> area)
        {
            const auto image = editor->createComponentSnapshot (area, true, 1.0f);
            double sum = 0.0;

            for (int y = 0; y < image.getHeight(); ++y)
                for (int x = 0; x < image.getWidth(); ++x)
                    sum += image.getPixelAt (x, y).getPerceivedBrightness();

            return (float) (sum / (image.getWidth() * image.getHeight()));
        }

        void writeScreenshot (const juce::String& name)
        {
            const auto image = editor->createComponentSnapshot (editor->getLocalBounds(), true, 1.0f);
            ASSERT_EQ (image.getWidth(), 1163);
            ASSERT_EQ (image.getHeight(), 245);

            const juce::File directory (MARLINET_SCREENSHOT_DIR);
            ASSERT_TRUE (directory.createDirectory());
            const auto file = directory.getChildFile ("editor-" + name + ".png");
            file.deleteFile();

            {
                juce::FileOutputStream out (file);
                ASSERT_TRUE (out.openedOk());
                ASSERT_TRUE (juce::PNGImageFormat().writeImageToStream (image, out));
            }

            EXPECT_GT (file.getSize(), 1000);
        }
    };

    /** Long enough for one 50 ms refresh to have run, with room for timer jitter. */
    constexpr int oneRefresh = MarlinetAudioProcessorEditor::refreshIntervalMs + 30;

    // The logo's centre in window pixels: design (1066 + 95, 160 + 36) under the 49-pixel bar.
    const juce::Point<int> logoCentre { 580, 49 + 98 };
    const juce::Rectangle<int> logoArea { 540, 130, 80, 34 };
}

//==============================================================================
TEST_F (EditorFixture, WindowIsFixedAt1163By245WithTheBarOnTopAndTheBodyBelowAtHalfScale)
{
    open();

    EXPECT_EQ (editor->getWidth(), 1163);
    EXPECT_EQ (editor->getHeight(), 245);
    EXPECT_FALSE (editor->isResizable());
    EXPECT_EQ (editor->resizableCorner, nullptr);

    EXPECT_EQ (editor->getChildComponent (0), editor->presetBar.get());
    EXPECT_EQ (editor->presetBar->getBounds(), juce::Rectangle<int> (0, 0, 1163, 49));

    EXPECT_EQ (editor->getChildComponent (1), editor->bodyContainer.get());
    EXPECT_EQ (editor->bodyContainer->getBounds(), juce::Rectangle<int> (0, 98, 2326, 392));
    EXPECT_EQ (editor->getLocalArea (editor->bodyContainer.get(), editor->bodyContainer->getLocalBounds()),
               juce::Rectangle<int> (0, 49, 1163, 196));

    // The background lies behind every control and fills the body.
    EXPECT_EQ (editor->bodyContainer->getChildComponent (0), editor->backgroundView.get());
    EXPECT_EQ (editor->backgroundView->getBounds(), juce::Rectangle<int> (0, 0, 2326, 392));
    EXPECT_EQ (editor->backgroundWidth, 2326);
    EXPECT_EQ (editor->backgroundHeight, 392);
}

TEST_F (EditorFixture, LogoPanelLetsClicksThroughWhileSwitchesTakeClicksOnTheirWholeRectangle)
{
    open();

    EXPECT_NE (editor->getComponentAt (logoCentre), editor->logoPanel.get());
    EXPECT_EQ (editor->getComponentAt (logoCentre), editor->backgroundView.get());

    // Corners of the switches, where a picture may be transparent: design (1125, 311) and (155, 183).
    EXPECT_EQ (editor->getComponentAt (juce::Point<int> (563, 49 + 156)), editor->linkButton.get());
    EXPECT_EQ (editor->getComponentAt (juce::Point<int> (78, 49 + 92)), editor->syncButton1.get());

    // Hovering never changes a switch's picture.
    EXPECT_EQ (editor->syncButton1->getOverImage(), editor->syncButton1->getNormalImage());
    EXPECT_EQ (editor->linkButton->getOverImage(), editor->linkButton->getNormalImage());
}

//==============================================================================
TEST_F (EditorFixture, LinkOnWhenOpeningBindsTheRightHandControlsToSection1)
{
    set (ParameterIds::link, 1.0f);
    set (ParameterIds::rate1, 100.0f);
    set (ParameterIds::depth1, 0.25f);
    set (ParameterIds::sync1, 1.0f);
    open();

    EXPECT_TRUE (editor->linkButton->getToggleState());
    expectRightHandBoundToSection1();
    EXPECT_TRUE (editor->syncButton2->getToggleState());

    // Turning the right speed knob moves "rate1", and the left knob follows.
    editor->rateKnob2->setValue (150.0, juce::sendNotificationSync);
    EXPECT_EQ (raw (ParameterIds::rate1), 150.0f);
    EXPECT_FLOAT_EQ (raw (ParameterIds::rate2), 60.0f);
    EXPECT_EQ (editor->rateKnob1->getValue(), 150.0);
}

TEST_F (EditorFixture, ClickingLinkRebindsAndTurningItOffRestoresSection2Values)
{
    set (ParameterIds::rate2, 33.0f);
    set (ParameterIds::pan2, -4.0f);
    open();
    expectRightHandBoundToSection2();

    editor->linkButton->triggerClick();
    pump (30);
    EXPECT_EQ (raw (ParameterIds::link), 1.0f);
    expectRightHandBoundToSection1();

    editor->linkButton->triggerClick();
    pump (30);
    EXPECT_EQ (raw (ParameterIds::link), 0.0f);
    expectRightHandBoundToSection2();
    EXPECT_EQ (editor->rateKnob2->getValue(), 33.0);
    EXPECT_EQ (editor->panKnob2->getValue(), -4.0);
}

TEST_F (EditorFixture, LinkChangedByAStateRestoreRebindsInsideTheRestoreWithoutAClick)
{
    open();
    ASSERT_FALSE (rightHandIsLinked());

    restoreStateWithLink (true);
    EXPECT_TRUE (editor->linkButton->getToggleState());
    expectRightHandBoundToSection1();

    restoreStateWithLink (false);
    EXPECT_FALSE (editor->linkButton->getToggleState());
    expectRightHandBoundToSection2();
}

TEST_F (EditorFixture, LinkChangedOnAnotherThreadRebindsAtTheMessageThreadsNextTurn)
{
    open();

    std::thread automation ([this] { parameter (ParameterIds::link).setValueNotifyingHost (1.0f); });
    automation.join();
    pump (30);
    expectRightHandBoundToSection1();

    std::thread back ([this] { parameter (ParameterIds::link).setValueNotifyingHost (0.0f); });
    back.join();
    pump (30);
    expectRightHandBoundToSection2();
}

TEST_F (EditorFixture, ManyLinkChangesLeaveThreeButtonAndEightSliderAttachmentsAndNoStaleControls)
{
    open();
    const int children = editor->bodyContainer->getNumChildComponents();
    EXPECT_EQ (editor->buttonAttachments.size(), 3u);
    EXPECT_EQ (editor->sliderAttachments.size(), 8u);

    for (int i = 0; i < 20; ++i)
    {
        switch (i % 3)
        {
            case 0:  editor->linkButton->triggerClick(); pump (10); break;
            case 1:  set (ParameterIds::link, raw (ParameterIds::link) == 0.0f ? 1.0f : 0.0f); break;
            default: restoreStateWithLink (raw (ParameterIds::link) == 0.0f); break;
        }

        ASSERT_EQ (editor->buttonAttachments.size(), 3u);
        ASSERT_EQ (editor->sliderAttachments.size(), 8u);
        ASSERT_EQ (editor->bodyContainer->getNumChildComponents(), children);
        ASSERT_EQ (rightHandIsLinked(), raw (ParameterIds::link) != 0.0f);
    }

    // Each current control is live: moving it moves the parameter it shows.
    set (ParameterIds::link, 0.0f);
    editor->depthKnob2->setValue (0.75, juce::sendNotificationSync);
    EXPECT_EQ (raw (ParameterIds::depth2), 0.75f);
    editor->syncButton2->triggerClick();
    pump (20);
    EXPECT_EQ (raw (ParameterIds::sync2), 1.0f);
}

TEST_F (EditorFixture, LinkChangingWhileAKnobIsHeldEndsThatKnobsHostGesture)
{
    struct GestureCounter : juce::AudioProcessorListener
    {
        int begun = 0, ended = 0;
        void audioProcessorParameterChanged (juce::AudioProcessor*, int, float) override {}
        void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}
        void audioProcessorParameterChangeGestureBegin (juce::AudioProcessor*, int) override  { ++begun; }
        void audioProcessorParameterChangeGestureEnd (juce::AudioProcessor*, int) override    { ++ended; }
    } gestures;

    open();
    processor.addListener (&gestures);

    auto& knob = *editor->rateKnob2;
    const auto now = juce::Time::getCurrentTime();
    const juce::MouseEvent press (juce::Desktop::getInstance().getMainMouseSource(), { 60.0f, 60.0f }, {},
                                  juce::MouseInputSource::defaultPressure, 0.0f, 0.0f, 0.0f, 0.0f,
                                  &knob, &knob, now, { 60.0f, 60.0f }, now, 1, false);
    knob.mouseDown (press);
    ASSERT_EQ (gestures.begun, 1);

    set (ParameterIds::link, 1.0f);
    EXPECT_EQ (gestures.ended, 1);
    EXPECT_TRUE (rightHandIsLinked());

    processor.removeListener (&gestures);
}

//==============================================================================
TEST_F (EditorFixture, DoubleClickReturnsAKnobToItsParametersDefault)
{
    set (ParameterIds::depth1, 0.9f);
    set (ParameterIds::rate2, 80.0f);
    open();

    doubleClick (*editor->depthKnob1);
    EXPECT_EQ (raw (ParameterIds::depth1), 0.5f);

    // 60 in 19..90 does not survive the normalised float round trip exactly.
    doubleClick (*editor->rateKnob2);
    EXPECT_FLOAT_EQ (raw (ParameterIds::rate2), 60.0f);
}

TEST_F (EditorFixture, SyncSwitchesToggleTheirParameterAndBothToggleSync1WhileLinked)
{
    open();

    editor->syncButton1->triggerClick();
    pump (20);
    EXPECT_EQ (raw (ParameterIds::sync1), 1.0f);
    EXPECT_EQ (raw (ParameterIds::sync2), 0.0f);

    editor->syncButton2->triggerClick();
    pump (20);
    EXPECT_EQ (raw (ParameterIds::sync2), 1.0f);

    set (ParameterIds::link, 1.0f);
    EXPECT_TRUE (editor->syncButton2->getToggleState());
    editor->syncButton2->triggerClick();
    pump (20);
    EXPECT_EQ (raw (ParameterIds::sync1), 0.0f);
    EXPECT_EQ (raw (ParameterIds::sync2), 1.0f);
    EXPECT_FALSE (editor->syncButton1->getToggleState());
}

TEST_F (EditorFixture, BypassDimsTheLogoWithinOneRefreshAndLightsItAgain)
{
    open();
    pump (2 * MarlinetAudioProcessorEditor::refreshIntervalMs);
    ASSERT_TRUE (editor->logoPanel->isEnabled());
    const float lit = brightness (logoArea);

    set (ParameterIds::bypass, 1.0f);
    pump (oneRefresh);
    EXPECT_FALSE (editor->logoPanel->isEnabled());
    EXPECT_LT (brightness (logoArea), lit * 0.6f);

    set (ParameterIds::bypass, 0.0f);
    pump (oneRefresh);
    EXPECT_TRUE (editor->logoPanel->isEnabled());
    EXPECT_FLOAT_EQ (brightness (logoArea), lit);
}

//==============================================================================
TEST_F (EditorFixture, ReadoutsShowRoundedSpeedsAndIndicatorsBlinkAtHalfBeats)
{
    open();
    EXPECT_EQ (editor->rateReadout1->getText(), "000");
    EXPECT_EQ (editor->tempoLCD1->getText(), "");
    EXPECT_FALSE (editor->tempoLCD1->isTimerRunning());

    setExactly (ParameterIds::rate1, 120.4f);
    setExactly (ParameterIds::rate2, 19.0f);
    pump (oneRefresh);
    EXPECT_EQ (editor->rateReadout1->getText(), "120");
    EXPECT_EQ (editor->tempoLCD1->getTimerInterval(), 250);
    EXPECT_EQ (editor->rateReadout2->getText(), "19");
    EXPECT_EQ (editor->tempoLCD2->getTimerInterval(), 1578);

    setExactly (ParameterIds::rate1, 120.5f);
    pump (oneRefresh);
    EXPECT_EQ (editor->rateReadout1->getText(), "121");
    EXPECT_EQ (editor->tempoLCD1->getTimerInterval(), 247);

    // With link on, the right-hand readout still follows "rate2".
    set (ParameterIds::link, 1.0f);
    set (ParameterIds::rate2, 60.0f);   // no normalised value gives exactly 60 here
    pump (oneRefresh);
    EXPECT_EQ (editor->rateReadout2->getText(), "60");
    EXPECT_EQ (editor->tempoLCD2->getTimerInterval(), 500);
}

TEST_F (EditorFixture, IndicatorsBlinkFromTheFirstRefreshEvenAtTheStartingSpeedShowingOneThenBar)
{
    set (ParameterIds::rate1, 160.0f);
    open();
    pump (oneRefresh);

    EXPECT_EQ (editor->rateReadout1->getText(), "160");
    EXPECT_EQ (editor->tempoLCD1->getTimerInterval(), 187);
    EXPECT_EQ (editor->tempoLCD2->getTimerInterval(), 500);
    EXPECT_TRUE (editor->tempoLCD2->isTimerRunning());

    // The real timer shows the first half beat, then each tick flips the text.
    pump (187 + 40);
    EXPECT_EQ (editor->tempoLCD1->getText(), "1");

    auto& indicator = *editor->tempoLCD2;
    for (const auto* text : { "1", "|", "1", "|" })
    {
        indicator.timerCallback();
        EXPECT_EQ (indicator.getText(), text);
    }
}

TEST_F (EditorFixture, EverySegmentTextHasGlyphsInItsFaceAndFitsItsWindowUncut)
{
    open();

    // A text wider than its label is cut short with an ellipsis; the widest texts must fit.
    auto fits = [] (const juce::Label& label, const juce::String& widest)
    {
        const auto area = label.getBorderSize().subtractedFrom (label.getLocalBounds());
        return label.getFont().getStringWidthFloat (widest) <= (float) area.getWidth();
    };

    // A character the face lacks is drawn as the face's missing-glyph box.
    auto hasGlyphs = [] (const juce::Label& label, const juce::String& text)
    {
        auto outline = [&label] (juce::juce_wchar c)
        {
            juce::Path path;
            label.getFont().getTypefacePtr()->getOutlineForGlyph ((int) c, path);
            return path.toString();
        };

        const auto missing = outline (0x2603); // a snowman: in no segment face
        for (auto c : text)
            if (outline (c) == missing)
                return false;
        return true;
    };

    EXPECT_TRUE (hasGlyphs (*editor->rateReadout1, "0123456789"));
    EXPECT_TRUE (hasGlyphs (*editor->bpmCaption2, "BPM"));
    EXPECT_TRUE (hasGlyphs (*editor->tempoLCD1, "1|"));
    EXPECT_TRUE (hasGlyphs (*editor->tempoLCD2, "1|"));

    EXPECT_TRUE (fits (*editor->rateReadout1, "160"));
    EXPECT_TRUE (fits (*editor->rateReadout2, "90"));
    EXPECT_TRUE (fits (*editor->bpmCaption1, "BPM"));
    EXPECT_TRUE (fits (*editor->bpmCaption2, "BPM"));

    for (auto* indicator : { editor->tempoLCD1.get(), editor->tempoLCD2.get() })
    {
        EXPECT_TRUE (fits (*indicator, "1"));
        EXPECT_TRUE (fits (*indicator, "|"));
    }
}

TEST (TempoLCDMaths, SpeedsRoundHalvesAwayFromZeroAndSpeedsThatCannotBlinkGetNoPeriod)
{
    EXPECT_EQ (MarlinetAudioProcessorEditor::roundSpeed (120.49999f), 120.0f);
    EXPECT_EQ (MarlinetAudioProcessorEditor::roundSpeed (68.5f), 69.0f);
    EXPECT_EQ (MarlinetAudioProcessorEditor::roundSpeed (-2.5f), -3.0f);
    EXPECT_EQ (TempoLCD::halfBeatMilliseconds (69), 434);
    EXPECT_EQ (TempoLCD::halfBeatMilliseconds (0), 0);
    EXPECT_EQ (TempoLCD::halfBeatMilliseconds (-5), 0);
}

//==============================================================================
TEST (KnobFilmstrip, PositionsPickFrames0And59And118AndTheLastOnlyAtTheTop)
{
    EXPECT_EQ (KnobLookAndFeel::frameForPosition (14999, 0.0f), 0);
    EXPECT_EQ (KnobLookAndFeel::frameForPosition (14999, 0.5f), 59);
    EXPECT_EQ (KnobLookAndFeel::frameForPosition (14999, 0.999f), 118);
    EXPECT_EQ (KnobLookAndFeel::frameForPosition (14999, 1.0f), 119);

    // No picture: nothing to pick; a position past the end stays on the strip.
    EXPECT_EQ (KnobLookAndFeel::frameForPosition (0, 0.7f), 0);
    EXPECT_EQ (KnobLookAndFeel::frameForPosition (14999, 1.01f), 119);
}

TEST (KnobFilmstrip, DrawsTheChosenFrameAndInstancesShareOneDecodedStrip)
{
    KnobLookAndFeel speed (true), speedAgain (true), plain (false);
    const auto& strip = speed.getStrip();
    ASSERT_EQ (strip.getWidth(), 130);
    ASSERT_EQ (strip.getHeight(), 14999);
    ASSERT_EQ (plain.getStrip().getHeight(), 14999);
    EXPECT_EQ (speedAgain.getStrip(), strip);   // same pixel data, not a second decode
    EXPECT_NE (plain.getStrip(), strip);

    juce::Slider slider;
    const juce::Image::BitmapData stripPixels (strip, juce::Image::BitmapData::readOnly);

    // Which frame of the strip does a drawing of the knob at this position match best?
    auto bestFrame = [&] (float position)
    {
        juce::Image drawn (juce::Image::ARGB, 130, 125, true);
        {
            juce::Graphics g (drawn);
            speed.drawRotarySlider (g, 7, 9, 130, 125, position, 0.0f, 1.0f, slider);
        }

        int best = -1;
        double bestDifference = 1.0e30;

        for (int frame = 0; frame < 120; ++frame)
        {
            double difference = 0.0;

            for (int y = 0; y < 124; ++y)
                for (int x = 0; x < 130; ++x)
                {
                    const auto a = drawn.getPixelAt (x, y);
                    const auto b = stripPixels.getPixelColour (x, frame * 125 + y);
                    difference += std::abs (a.getFloatAlpha() - b.getFloatAlpha())
                                + std::abs (a.getPerceivedBrightness() - b.getPerceivedBrightness());
                }

            if (difference < bestDifference)
            {
                bestDifference = difference;
                best = frame;
            }
        }

        return best;
    };

    EXPECT_EQ (bestFrame (0.0f), 0);
    EXPECT_EQ (bestFrame (0.5f), 59);
    EXPECT_EQ (bestFrame (0.999f), 118);
    EXPECT_EQ (bestFrame (1.0f), 119);
}

//==============================================================================
TEST_F (EditorFixture, ClosingAndReopeningBindsByTheLinkStateOfThatMoment)
{
    open();
    editor.reset();

    // Nothing of the closed editor may still listen to the parameters.
    set (ParameterIds::link, 1.0f);
    std::thread automation ([this] { parameter (ParameterIds::rate2).setValueNotifyingHost (0.9f); });
    automation.join();
    pump (20);

    open();
    expectRightHandBoundToSection1();
}

TEST_F (EditorFixture, ScreenshotsOfTheDefaultLinkedAndBypassedEditorAreWritten)
{
    open();
    pump (300);
    writeScreenshot ("default");

    set (ParameterIds::link, 1.0f);
    set (ParameterIds::rate1, 96.0f);
    set (ParameterIds::depth1, 0.8f);
    set (ParameterIds::sync1, 1.0f);
    pump (300);
    writeScreenshot ("linked");

    set (ParameterIds::link, 0.0f);
    set (ParameterIds::bypass, 1.0f);
    pump (300);
    writeScreenshot ("bypassed");
}
