#include <gtest/gtest.h>

#include "editor/PluginEditor.h"
#include "presets/updateCheck.h"
#include "tests/support/Helpers.h"
#include "tests/support/TempHome.h"

#include <cmath>
#include <functional>
#include <thread>

namespace
{
    /** Long enough for one 50 ms refresh to have run, with room for timer jitter. */
    constexpr int oneRefresh = MarlinetAudioProcessorEditor::refreshIntervalMs + 30;

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
        /** Shown as a host would, but off the desktop: a bare virtual display without a window manager fails in X11. */
        void open()  { editor = std::make_unique<MarlinetAudioProcessorEditor> (processor); editor->setVisible (true); }
        juce::RangedAudioParameter& parameter (const char* id)  { return *processor.apvts.getParameter (id); }
        float raw (const char* id)  { return processor.apvts.getRawParameterValue (id)->load(); }
        void click (juce::Button& button)  { button.triggerClick(); pump (30); }

        /** As host automation would; on this (message) thread attachments follow at once. */
        void set (const char* id, float plainValue)  { parameter (id).setValueNotifyingHost (parameter (id).convertTo0to1 (plainValue)); }
        void set (std::initializer_list<std::pair<const char*, float>> values)  { for (auto [id, value] : values) set (id, value); }
        void setOnAnotherThread (const char* id, float value0to1)  { std::thread ([&] { parameter (id).setValueNotifyingHost (value0to1); }).join(); pump (30); }
        /** The normalised round trip may land one float step off, so nearby normalised values are tried. */
        void setExactly (const char* id, float plainValue)
        {
            auto& p = parameter (id);
            float normalised = p.convertTo0to1 (plainValue);
            for (int step = 0; step <= 64 && (p.setValueNotifyingHost (normalised), raw (id) != plainValue); ++step)
                normalised = std::nextafter (normalised, raw (id) < plainValue ? 2.0f : -1.0f);
            ASSERT_EQ (raw (id), plainValue);
        }

        /** Restores a host state equal to the current one except for "link". */
        void restoreStateWithLink (bool linkOn)
        {
            auto tree = processor.apvts.copyState();
            tree.getChildWithProperty ("id", ParameterIds::link).setProperty ("value", linkOn ? 1.0 : 0.0, nullptr);
            juce::MemoryOutputStream out;
            tree.writeToStream (out);
            processor.setStateInformation (out.getData(), (int) out.getDataSize());
        }

        /** The two speed ranges differ (69..160 and 19..90): the range tells the binding. */
        void expectRightHandBoundToSection (int section)
        {
            const bool one = section == 1;
            EXPECT_EQ (editor->rateKnob2->getRange(), one ? juce::Range<double> (69, 160) : juce::Range<double> (19, 90));
            EXPECT_EQ (editor->rateKnob2->getValue(), raw (one ? ParameterIds::rate1 : ParameterIds::rate2));
            EXPECT_EQ (editor->depthKnob2->getValue(), raw (one ? ParameterIds::depth1 : ParameterIds::depth2));
            EXPECT_EQ (editor->volumeKnob2->getValue(), raw (one ? ParameterIds::volume1 : ParameterIds::volume2));
            EXPECT_EQ (editor->panKnob2->getValue(), raw (one ? ParameterIds::pan1 : ParameterIds::pan2));
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

        /** Writes the editor as painted after its refreshes have settled. */
        void writeScreenshot (const juce::String& name)
        {
            pump (300);
            const auto image = editor->createComponentSnapshot (editor->getLocalBounds(), true, 1.0f);
            ASSERT_EQ (image.getBounds(), juce::Rectangle<int> (0, 0, 1163, 245));
            const auto file = juce::File (MARLINET_SCREENSHOT_DIR).getChildFile ("editor-" + name + ".png");
            ASSERT_TRUE (file.getParentDirectory().createDirectory() && (! file.exists() || file.deleteFile()));
            juce::FileOutputStream out (file);
            ASSERT_TRUE (out.openedOk() && juce::PNGImageFormat().writeImageToStream (image, out));
            out.flush();
            EXPECT_GT (file.getSize(), 1000);
        }
    };
}

TEST_F (EditorFixture, WindowIsFixedWithTheBarOnTopTheHalfScaleBodyBelowAndOnlySwitchesNotTheLogoTakingClicks)
{
    open();
    EXPECT_EQ (editor->getBounds(), juce::Rectangle<int> (0, 0, 1163, 245));
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
    // The logo's centre, design (1066 + 95, 160 + 36) under the bar, reaches the background;
    // switches take clicks at their corners, design (1125, 311) and (155, 183), even if transparent,
    // and hovering never changes their picture.
    EXPECT_EQ (editor->getComponentAt (juce::Point<int> (580, 49 + 98)), editor->backgroundView.get());
    EXPECT_EQ (editor->getComponentAt (juce::Point<int> (563, 49 + 156)), editor->linkButton.get());
    EXPECT_EQ (editor->getComponentAt (juce::Point<int> (78, 49 + 92)), editor->syncButton1.get());
    EXPECT_EQ (editor->syncButton1->getOverImage(), editor->syncButton1->getNormalImage());
    EXPECT_EQ (editor->linkButton->getOverImage(), editor->linkButton->getNormalImage());
}

TEST_F (EditorFixture, AnEditorOpenedWithLinkOnBindsTheRightHandToSection1AndAClosedOneListensNoMore)
{
    open();
    editor.reset();
    set ({ { ParameterIds::link, 1.0f }, { ParameterIds::rate1, 100.0f }, { ParameterIds::depth1, 0.25f }, { ParameterIds::sync1, 1.0f } });
    setOnAnotherThread (ParameterIds::rate2, 0.9f);
    open();
    EXPECT_TRUE (editor->linkButton->getToggleState());
    EXPECT_TRUE (editor->syncButton2->getToggleState());
    expectRightHandBoundToSection (1);
    // Turning the right speed knob moves "rate1", not "rate2", and the left knob follows.
    const float rate2 = raw (ParameterIds::rate2);
    editor->rateKnob2->setValue (150.0, juce::sendNotificationSync);
    EXPECT_EQ (raw (ParameterIds::rate1), 150.0f);
    EXPECT_EQ (raw (ParameterIds::rate2), rate2);
    EXPECT_EQ (editor->rateKnob1->getValue(), 150.0);
}

TEST_F (EditorFixture, LinkChangedByClickAutomationRestoreOrThreadRebindsEndingAHeldKnobsGestureAndKeeps3ButtonAnd8SliderAttachments)
{
    struct GestureCounter : juce::AudioProcessorParameter::Listener
    {
        int begun = 0, ended = 0;
        void parameterValueChanged (int, float) override {}
        void parameterGestureChanged (int, bool starting) override  { ++(starting ? begun : ended); }
    } gestures;
    set ({ { ParameterIds::rate2, 33.0f }, { ParameterIds::pan2, -4.0f } });
    open();
    const int children = editor->bodyContainer->getNumChildComponents();
    parameter (ParameterIds::rate2).addListener (&gestures);
    editor->rateKnob2->mouseDown (mouseAtCentre (*editor->rateKnob2, 1));   // held through the first change
    ASSERT_EQ (gestures.begun, 1);
    // Automation and a state restore rebind inside the call; a click and another thread at the message thread's next turn.
    const std::pair<const char*, std::function<void (bool)>> sources[] = {
        { "automation", [this] (bool on) { set (ParameterIds::link, on ? 1.0f : 0.0f); } },
        { "click",      [this] (bool)    { click (*editor->linkButton); } },
        { "restore",    [this] (bool on) { restoreStateWithLink (on); } },
        { "thread",     [this] (bool on) { setOnAnotherThread (ParameterIds::link, on ? 1.0f : 0.0f); } },
    };
    for (int i = 0; i < 16; ++i)   // every source both ways, after each of the others
    {
        const bool on = i % 2 == 0;
        const auto& [name, change] = sources[(i + i / 4) % 4];
        SCOPED_TRACE (juce::String (name) + (on ? " on" : " off"));
        change (on);
        EXPECT_EQ (gestures.ended, 1);
        ASSERT_EQ (raw (ParameterIds::link), on ? 1.0f : 0.0f);
        EXPECT_EQ (editor->linkButton->getToggleState(), on);
        expectRightHandBoundToSection (on ? 1 : 2);
        ASSERT_EQ (editor->buttonAttachments.size(), 3u);
        ASSERT_EQ (editor->sliderAttachments.size(), 8u);
        ASSERT_EQ (editor->bodyContainer->getNumChildComponents(), children);
    }
    parameter (ParameterIds::rate2).removeListener (&gestures);
    // Section 2's values come back, and each current control moves the parameter it shows.
    EXPECT_EQ (editor->rateKnob2->getValue(), 33.0);
    EXPECT_EQ (editor->panKnob2->getValue(), -4.0);
    editor->depthKnob2->setValue (0.75, juce::sendNotificationSync);
    EXPECT_EQ (raw (ParameterIds::depth2), 0.75f);
    click (*editor->syncButton2);
    EXPECT_EQ (raw (ParameterIds::sync2), 1.0f);
}

TEST_F (EditorFixture, DoubleClickReturnsAKnobToItsParametersDefaultAndSyncSwitchesToggleSync1WhileLinked)
{
    set ({ { ParameterIds::depth1, 0.9f }, { ParameterIds::rate2, 80.0f } });
    open();
    editor->depthKnob1->mouseDoubleClick (mouseAtCentre (*editor->depthKnob1, 2));
    EXPECT_EQ (raw (ParameterIds::depth1), 0.5f);
    editor->rateKnob2->mouseDoubleClick (mouseAtCentre (*editor->rateKnob2, 2));
    EXPECT_FLOAT_EQ (raw (ParameterIds::rate2), 60.0f);   // 60 in 19..90 is not exact after the normalised round trip
    click (*editor->syncButton1);
    EXPECT_EQ (raw (ParameterIds::sync1), 1.0f);
    EXPECT_EQ (raw (ParameterIds::sync2), 0.0f);
    set (ParameterIds::link, 1.0f);
    EXPECT_TRUE (editor->syncButton2->getToggleState());
    click (*editor->syncButton2);
    EXPECT_EQ (raw (ParameterIds::sync1), 0.0f);
    EXPECT_EQ (raw (ParameterIds::sync2), 0.0f);
    EXPECT_FALSE (editor->syncButton1->getToggleState());
}

TEST_F (EditorFixture, ReadoutsShowRoundedSpeedsUncutWithEveryGlyphAndIndicatorsBlinkOneThenBarAtHalfBeatsFromTheFirstRefresh)
{
    set (ParameterIds::rate1, 160.0f);   // the starting speed: the first refresh must still start the blink
    open();
    EXPECT_EQ (editor->rateReadout1->getText(), "000");
    EXPECT_EQ (editor->tempoLCD1->getText(), "");
    EXPECT_FALSE (editor->tempoLCD1->isTimerRunning());
    // A lacking glyph draws as the face's missing-glyph box (a snowman is in no segment face); a too wide text gets an ellipsis.
    auto outline = [] (const juce::Label& label, juce::juce_wchar c)
        { juce::Path path; label.getFont().getTypefacePtr()->getOutlineForGlyph ((int) c, path); return path.toString(); };
    const std::tuple<juce::Label*, const char*, std::vector<const char*>> cases[] = {
        { editor->rateReadout1.get(), "0123456789", { "160" } }, { editor->rateReadout2.get(), "", { "90" } },
        { editor->bpmCaption1.get(), "", { "BPM" } },            { editor->bpmCaption2.get(), "BPM", { "BPM" } },
        { editor->tempoLCD1.get(), "1|", { "1", "|" } },         { editor->tempoLCD2.get(), "1|", { "1", "|" } },
    };
    for (const auto& [label, glyphs, widest] : cases)
    {
        for (auto c : juce::String (glyphs))
            EXPECT_NE (outline (*label, c), outline (*label, 0x2603)) << glyphs;
        const auto area = label->getBorderSize().subtractedFrom (label->getLocalBounds());
        for (const auto* text : widest)
            EXPECT_LE (label->getFont().getStringWidthFloat (text), (float) area.getWidth()) << text;
    }
    pump (oneRefresh);
    EXPECT_EQ (editor->rateReadout1->getText(), "160");
    EXPECT_EQ (editor->tempoLCD1->getTimerInterval(), 187);
    EXPECT_EQ (editor->tempoLCD2->getTimerInterval(), 500);
    EXPECT_TRUE (editor->tempoLCD2->isTimerRunning());
    // The real timer shows the first half beat, then each tick flips the text.
    pump (187 + 40);
    EXPECT_EQ (editor->tempoLCD1->getText(), "1");
    for (const auto* text : { "1", "|", "1", "|" })
        EXPECT_EQ ((editor->tempoLCD2->timerCallback(), editor->tempoLCD2->getText()), text);
    // Halves round away from zero, also just below a half and below zero; a speed that cannot blink gets no period.
    EXPECT_EQ (MarlinetAudioProcessorEditor::roundSpeed (120.49999f), 120.0f);
    EXPECT_EQ (MarlinetAudioProcessorEditor::roundSpeed (68.5f), 69.0f);
    EXPECT_EQ (MarlinetAudioProcessorEditor::roundSpeed (-2.5f), -3.0f);
    EXPECT_EQ (TempoLCD::halfBeatMilliseconds (69), 434);
    EXPECT_EQ (TempoLCD::halfBeatMilliseconds (0), 0);
    EXPECT_EQ (TempoLCD::halfBeatMilliseconds (-5), 0);
    // 19 is the bottom of "rate2" and so exact; 60 is not, and with link on that readout still follows "rate2".
    struct Step { float rate1, rate2; bool link; const char* text1; int half1; const char* text2; int half2; };
    for (const auto& s : { Step { 120.4f, 19.0f, false, "120", 250, "19", 1578 }, Step { 120.5f, 19.0f, false, "121", 247, "19", 1578 },
                           Step { 120.5f, 60.0f, true, "121", 247, "60", 500 } })
    {
        set (ParameterIds::link, s.link ? 1.0f : 0.0f);
        setExactly (ParameterIds::rate1, s.rate1);
        set (ParameterIds::rate2, s.rate2);
        pump (oneRefresh);
        EXPECT_EQ (editor->rateReadout1->getText(), s.text1) << s.rate1;
        EXPECT_EQ (editor->tempoLCD1->getTimerInterval(), s.half1) << s.rate1;
        EXPECT_EQ (editor->rateReadout2->getText(), s.text2) << s.rate2;
        EXPECT_EQ (editor->tempoLCD2->getTimerInterval(), s.half2) << s.rate2;
    }
}

TEST (KnobFilmstrip, PositionsPickAndDrawFrames0And59And118AndTheLastOnlyAtTheTopFromOneSharedStrip)
{
    KnobLookAndFeel speed (true), speedAgain (true), plain (false);
    const auto& strip = speed.getStrip();
    ASSERT_EQ (strip.getBounds(), juce::Rectangle<int> (0, 0, 130, 14999));
    ASSERT_EQ (plain.getStrip().getHeight(), 14999);
    EXPECT_EQ (speedAgain.getStrip(), strip);   // same pixel data, not a second decode
    EXPECT_NE (plain.getStrip(), strip);
    // No picture: nothing to pick; a position past the end stays on the strip.
    EXPECT_EQ (KnobLookAndFeel::frameForPosition (0, 0.7f), 0);
    EXPECT_EQ (KnobLookAndFeel::frameForPosition (14999, 1.01f), 119);
    // Which frame of the strip does a drawing of the knob at this position match best?
    juce::Slider slider;
    const juce::Image::BitmapData stripPixels (strip, juce::Image::BitmapData::readOnly);
    auto distance = [] (juce::Colour a, juce::Colour b)
        { return std::abs (a.getFloatAlpha() - b.getFloatAlpha()) + std::abs (a.getPerceivedBrightness() - b.getPerceivedBrightness()); };
    auto bestFrame = [&] (float position)
    {
        juce::Image drawn (juce::Image::ARGB, 130, 125, true);
        { juce::Graphics g (drawn); speed.drawRotarySlider (g, 7, 9, 130, 125, position, 0.0f, 1.0f, slider); }
        std::vector<double> differences (120, 0.0);
        for (int frame = 0; frame < 120; ++frame)
            for (int y = 0; y < 124; ++y)
                for (int x = 0; x < 130; ++x)
                    differences[(size_t) frame] += distance (drawn.getPixelAt (x, y), stripPixels.getPixelColour (x, frame * 125 + y));
        return (int) (std::min_element (differences.begin(), differences.end()) - differences.begin());
    };
    for (const auto& [position, frame] : { std::pair<float, int> { 0.0f, 0 }, { 0.5f, 59 }, { 0.999f, 118 }, { 1.0f, 119 } })
    {
        EXPECT_EQ (KnobLookAndFeel::frameForPosition (14999, position), frame) << position;
        EXPECT_EQ (bestFrame (position), frame) << position;
    }
}

TEST_F (EditorFixture, BypassDimsTheLogoWithinOneRefreshAndScreenshotsOfTheDefaultLinkedAndBypassedEditorAreWritten)
{
    const juce::Rectangle<int> logoArea { 540, 130, 80, 34 };
    open();
    writeScreenshot ("default");
    ASSERT_TRUE (editor->logoPanel->isEnabled());
    const float lit = brightness (logoArea);
    set ({ { ParameterIds::link, 1.0f }, { ParameterIds::rate1, 96.0f }, { ParameterIds::depth1, 0.8f }, { ParameterIds::sync1, 1.0f } });
    writeScreenshot ("linked");
    set ({ { ParameterIds::link, 0.0f }, { ParameterIds::bypass, 1.0f } });
    pump (oneRefresh);
    EXPECT_FALSE (editor->logoPanel->isEnabled());
    EXPECT_LT (brightness (logoArea), lit * 0.6f);
    writeScreenshot ("bypassed");
    set (ParameterIds::bypass, 0.0f);
    pump (oneRefresh);
    EXPECT_TRUE (editor->logoPanel->isEnabled());
    EXPECT_FLOAT_EQ (brightness (logoArea), lit);
}
