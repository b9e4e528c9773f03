#include "editor/PluginEditor.h"

#include "editor/EditorResources.h"

namespace
{
    // Design-unit bounds inside the body (twice the on-screen size).
    const juce::Rectangle<int> logoBounds  { 1066, 160, 190, 72 };
    const juce::Rectangle<int> linkBounds  { 1125, 311, 77, 42 };
    const juce::Rectangle<int> sync1Bounds { 155, 183, 53, 27 };
    const juce::Rectangle<int> sync2Bounds { 2115, 183, 53, 27 };

    /** Left edges of the knobs, left to right: speed, depth, volume and pan of each section. */
    constexpr int knobX[] = { 267, 474, 686, 887, 1306, 1511, 1723, 1926 };
    constexpr int knobY = 127;
    constexpr int knobSize = 135;

    juce::Rectangle<int> knobBounds (int index)  { return { knobX[index], knobY, knobSize, knobSize }; }

    /** Ends a drag under way on a knob that is about to be replaced, so its attachment closes
        the host's edit gesture first; a knob at rest ignores this. */
    void finishDrag (juce::Slider* knob)
    {
        if (knob == nullptr)
            return;

        const auto now = juce::Time::getCurrentTime();
        const juce::MouseEvent release (juce::Desktop::getInstance().getMainMouseSource(), {}, {},
                                        juce::MouseInputSource::defaultPressure, 0.0f, 0.0f, 0.0f, 0.0f,
                                        knob, knob, now, {}, now, 1, true);
        knob->mouseUp (release);
    }

    constexpr float readoutFontHeight = 50.0f;
    constexpr float captionFontHeight = 20.0f;

    // The segment faces are wide; condensed like this, three digits fit a readout and one a
    // beat indicator, right over the unlit segments that the background draws the same way.
    constexpr float segmentHorizontalScale = 0.6f;
}

MarlinetAudioProcessorEditor::MarlinetAudioProcessorEditor (MarlinetAudioProcessor& p)
    : juce::AudioProcessorEditor (p), audioProcessor (p)
{
    setResizable (false, false);

    presetBar = std::make_unique<quenwick::MenuComponent> (*audioProcessor.menu);
    addAndMakeVisible (*presetBar);

    backgroundImage = quenwick::loadPicture (EditorResources::background);
    backgroundWidth = backgroundImage.isValid() ? backgroundImage.getWidth() : 0;
    backgroundHeight = backgroundImage.isValid() ? backgroundImage.getHeight() : 0;

    // All artwork is drawn at twice the on-screen size: the body shows it at half scale,
    // directly under the bar.
    bodyContainer = std::make_unique<juce::Component>();
    bodyContainer->setTransform (juce::AffineTransform::scale (0.5f));
    bodyContainer->setBounds (bodyContainer->getX(), bodyContainer->getY(), backgroundWidth, backgroundHeight);
    bodyContainer->setBounds (0, presetBar->getHeight() * 2, bodyContainer->getWidth(), bodyContainer->getHeight());
    addAndMakeVisible (*bodyContainer);

    backgroundView = std::make_unique<juce::ImageComponent> (juce::String());
    backgroundView->setImage (backgroundImage);
    backgroundView->setBounds (backgroundView->getX(), backgroundView->getY(),
                               bodyContainer->getWidth(), bodyContainer->getHeight());
    bodyContainer->addAndMakeVisible (*backgroundView);

    knobLookAndFeel = std::make_unique<KnobLookAndFeel> (false);
    rateKnobLookAndFeel = std::make_unique<KnobLookAndFeel> (true);

    logoPanel = createImageButton (quenwick::loadPicture (EditorResources::logoLit),
                                   quenwick::loadPicture (EditorResources::logoUnlit), {});
    logoPanel->setBounds (logoBounds);
    // The logo only shows whether the effect runs: clicks pass through it.
    logoPanel->setInterceptsMouseClicks (false, false);

    // The attachment's first update happens before onClick is set, so it rebuilds nothing.
    linkButton = createImageButton (quenwick::loadPicture (EditorResources::linkOff),
                                    quenwick::loadPicture (EditorResources::linkOn),
                                    ParameterIds::link);
    linkButton->setBounds (linkBounds);

    // The link attachment turns every change of "link" (click, automation, preset, state
    // restore) into a click of this switch, on the message thread: one place re-binds.
    linkButton->onClick = [this] { loadParameterComponents(); };

    loadParameterComponents();
    createLabels();

    setSize (backgroundWidth / 2, backgroundHeight / 2 + presetBar->getHeight());
    startTimer (refreshIntervalMs);
}

MarlinetAudioProcessorEditor::~MarlinetAudioProcessorEditor()
{
    stopTimer();

    // Attachments before the controls they bind, knobs before their look-and-feel.
    buttonAttachments.clear();
    sliderAttachments.clear();

    syncButton1.reset();
    syncButton2.reset();
    linkButton.reset();
    rateKnob1.reset();
    depthKnob1.reset();
    volumeKnob1.reset();
    panKnob1.reset();
    rateKnob2.reset();
    volumeKnob2.reset();
    depthKnob2.reset();
    panKnob2.reset();
    rateReadout1.reset();
    bpmCaption1.reset();
    rateReadout2.reset();
    bpmCaption2.reset();
    logoPanel.reset();
    tempoLCD1.reset();
    tempoLCD2.reset();
    knobLookAndFeel.reset();
    backgroundView.reset();
}

void MarlinetAudioProcessorEditor::paint (juce::Graphics& g)
{
    g.setColour (juce::Colours::black);
    g.fillAll();
}

void MarlinetAudioProcessorEditor::resized()
{
    // The layout is fixed by the constructor.
}

std::unique_ptr<juce::ImageButton> MarlinetAudioProcessorEditor::createImageButton (juce::Image normalImage,
                                                                                      juce::Image downImage,
                                                                                      const juce::String& parameterId)
{
    auto button = std::make_unique<juce::ImageButton> (juce::String());
    const auto clear = juce::Colour (0x00000000);

    // The hover picture is the normal one: a switch changes only with its state. A hit
    // threshold of 0 makes the whole rectangle take clicks.
    button->setImages (true, true, true,
                       normalImage, 1.0f, clear,
                       normalImage, 1.0f, clear,
                       downImage, 1.0f, clear,
                       0.0f);

    // Attached before it toggles on click, so the initial update only sets the state.
    if (parameterId.isNotEmpty())
        buttonAttachments.push_back (std::make_unique<juce::AudioProcessorValueTreeState::ButtonAttachment> (
            audioProcessor.apvts, parameterId, *button));

    button->setClickingTogglesState (true);
    bodyContainer->addAndMakeVisible (*button);
    return button;
}

std::unique_ptr<juce::Slider> MarlinetAudioProcessorEditor::createSlider (KnobLookAndFeel* knobLook,
                                                                          const juce::String& parameterId)
{
    auto slider = std::make_unique<juce::Slider>();
    slider->setLookAndFeel (knobLook);
    slider->setSliderStyle (juce::Slider::RotaryVerticalDrag);
    slider->setTextBoxStyle (juce::Slider::NoTextBox, false, 80, 20);

    // The attachment gives the knob its parameter's range, text and double-click default.
    sliderAttachments.push_back (std::make_unique<juce::AudioProcessorValueTreeState::SliderAttachment> (
        audioProcessor.apvts, parameterId, *slider));

    bodyContainer->addAndMakeVisible (*slider);
    return slider;
}

void MarlinetAudioProcessorEditor::loadParameterComponents()
{
    const bool linked = linkButton->getToggleState();

    // Keep the link attachment at [0]; the two sync attachments go before their switches.
    if (buttonAttachments.size() >= 3)
    {
        buttonAttachments.pop_back();
        buttonAttachments.pop_back();
    }

    const auto syncOff = quenwick::loadPicture (EditorResources::syncOff);
    const auto syncOn = quenwick::loadPicture (EditorResources::syncOn);

    syncButton1 = createImageButton (syncOff, syncOn, ParameterIds::sync1);
    syncButton1->setBounds (sync1Bounds);
    syncButton2 = createImageButton (syncOff, syncOn, linked ? ParameterIds::sync1 : ParameterIds::sync2);
    syncButton2->setBounds (sync2Bounds);

    // "link" may change while a knob is held: without this the host would see an edit
    // begin that never ends.
    for (auto* knob : { rateKnob1.get(), depthKnob1.get(), volumeKnob1.get(), panKnob1.get(),
                        rateKnob2.get(), depthKnob2.get(), volumeKnob2.get(), panKnob2.get() })
        finishDrag (knob);

    // Every slider attachment goes before any knob it binds.
    sliderAttachments.clear();

    auto* plain = knobLookAndFeel.get();
    auto* speed = rateKnobLookAndFeel.get();

    rateKnob1 = createSlider (speed, ParameterIds::rate1);
    rateKnob1->setBounds (knobBounds (0));
    depthKnob1 = createSlider (plain, ParameterIds::depth1);
    depthKnob1->setBounds (knobBounds (1));
    volumeKnob1 = createSlider (plain, ParameterIds::volume1);
    volumeKnob1->setBounds (knobBounds (2));
    panKnob1 = createSlider (plain, ParameterIds::pan1);
    panKnob1->setBounds (knobBounds (3));

    rateKnob2 = createSlider (speed, linked ? ParameterIds::rate1 : ParameterIds::rate2);
    rateKnob2->setBounds (knobBounds (4));
    depthKnob2 = createSlider (plain, linked ? ParameterIds::depth1 : ParameterIds::depth2);
    depthKnob2->setBounds (knobBounds (5));
    volumeKnob2 = createSlider (plain, linked ? ParameterIds::volume1 : ParameterIds::volume2);
    volumeKnob2->setBounds (knobBounds (6));
    panKnob2 = createSlider (plain, linked ? ParameterIds::pan1 : ParameterIds::pan2);
    panKnob2->setBounds (knobBounds (7));
}

void MarlinetAudioProcessorEditor::createLabels()
{
    auto makeLabel = [this] (const juce::String& name, const juce::String& text, bool editableOnDoubleClick)
    {
        auto label = std::make_unique<juce::Label> (name, juce::translate (text));
        label->setJustificationType (juce::Justification::centred);
        label->setEditable (false, editableOnDoubleClick, false);
        bodyContainer->addAndMakeVisible (*label);
        return label;
    };

    rateReadout1 = makeLabel ("Turbo_Speed", "000", true);
    rateReadout1->setBounds (575, 35, 86, 48);
    bpmCaption1 = makeLabel ("BPM", "BPM", false);
    bpmCaption1->setBounds (655, 54, 48, 32);
    rateReadout2 = makeLabel ("Slowmo_Speed", "000", true);
    rateReadout2->setBounds (1620, 35, 86, 48);
    bpmCaption2 = makeLabel ("BPM", "BPM", false);
    bpmCaption2->setBounds (1695, 54, 48, 32);

    tempoLCD1 = std::make_unique<TempoLCD>();
    tempoLCD1->setJustificationType (juce::Justification::centred);
    tempoLCD1->setEditable (false, false, false);
    bodyContainer->addAndMakeVisible (*tempoLCD1);
    tempoLCD1->setBounds (704, 35, 36, 48);

    tempoLCD2 = std::make_unique<TempoLCD>();
    tempoLCD2->setName ("label3");
    tempoLCD2->setEditable (false, false, false);
    bodyContainer->addAndMakeVisible (*tempoLCD2);
    tempoLCD2->setBounds (1733, 35, 36, 48);

    const auto clear = juce::Colour (0x00000000);

    for (auto* label : { rateReadout1.get(), bpmCaption1.get(), rateReadout2.get(), bpmCaption2.get(),
                         static_cast<juce::Label*> (tempoLCD1.get()), static_cast<juce::Label*> (tempoLCD2.get()) })
    {
        label->setColour (juce::Label::textColourId, juce::Colours::red);
        label->setColour (juce::TextEditor::textColourId, juce::Colours::black);
        label->setColour (juce::TextEditor::backgroundColourId, clear);
    }

    for (auto* label : { bpmCaption1.get(), bpmCaption2.get(),
                         static_cast<juce::Label*> (tempoLCD1.get()), static_cast<juce::Label*> (tempoLCD2.get()) })
        label->setColour (juce::Label::backgroundColourId, clear);

    // Digits in the seven-segment face; "BPM" and the "|" of the indicators need the
    // fourteen-segment one.
    const auto digits = juce::Font (quenwick::createSevenSegmentTypeface()).withHorizontalScale (segmentHorizontalScale);
    const auto letters = juce::Font (quenwick::createFourteenSegmentTypeface()).withHorizontalScale (segmentHorizontalScale);

    rateReadout1->setFont (digits.withHeight (readoutFontHeight));
    rateReadout2->setFont (digits.withHeight (readoutFontHeight));
    bpmCaption1->setFont (letters.withHeight (captionFontHeight));
    bpmCaption2->setFont (letters.withHeight (captionFontHeight));
    tempoLCD1->setFont (letters.withHeight (readoutFontHeight));
    tempoLCD2->setFont (letters.withHeight (readoutFontHeight));
}

void MarlinetAudioProcessorEditor::timerCallback()
{
    // A disabled image button draws at 0.3 opacity: the logo dims while bypassed.
    logoPanel->setEnabled (audioProcessor.apvts.getRawParameterValue (ParameterIds::bypass)->load() == 0.0f);
    updateTempoLCD();
}

float MarlinetAudioProcessorEditor::roundSpeed (float value)
{
    // 0.49999997 is the float just below one half, so x.5 goes up without x.49999 doing so.
    return (float) (int) (value + std::copysign (0.49999997f, value));
}

void MarlinetAudioProcessorEditor::updateTempoLCD()
{
    const float r1 = roundSpeed (audioProcessor.apvts.getRawParameterValue (ParameterIds::rate1)->load());
    const float r2 = roundSpeed (audioProcessor.apvts.getRawParameterValue (ParameterIds::rate2)->load());

    rateReadout1->setText (juce::String ((int) r1), juce::dontSendNotification);
    rateReadout2->setText (juce::String ((int) r2), juce::dontSendNotification);

    for (auto [indicator, speed] : { std::pair { tempoLCD1.get(), r1 }, std::pair { tempoLCD2.get(), r2 } })
    {
        const int n = (int) speed;

        // A timer that has never run is started too, so a speed equal to the indicator's
        // starting value still blinks. An unchanged speed leaves the blink phase alone.
        if (indicator->bpm == n && indicator->isTimerRunning())
            continue;

        indicator->bpm = n;
        indicator->stopTimer();

        if (const int period = TempoLCD::halfBeatMilliseconds (n); period > 0)
            indicator->startTimer (period);
    }
}

// The editor's own file creates it, so the processor's code needs nothing of the editor.
juce::AudioProcessorEditor* MarlinetAudioProcessor::createEditor()
{
    return new MarlinetAudioProcessorEditor (*this);
}
