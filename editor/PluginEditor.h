#pragma once

#include "editor/KnobLookAndFeel.h"
#include "editor/TempoLCD.h"
#include "presets/menuComponent.h"
#include "processor/PluginProcessor.h"

#include <memory>
#include <vector>

/** The effect's fixed-size editor window: the preset bar on top and, below it, a half-scale
    body holding the background, the knobs, switches, speed readouts and beat indicators.
    Every control is laid out in design units (twice the on-screen size) inside the body.

    The right-hand controls edit section 2 while "link" is off and section 1 while it is on;
    they are rebuilt whenever "link" changes, whoever changes it. */
class MarlinetAudioProcessorEditor : public juce::AudioProcessorEditor,
                                     public juce::Timer
{
public:
    explicit MarlinetAudioProcessorEditor (MarlinetAudioProcessor& processor);
    ~MarlinetAudioProcessorEditor() override;

    void paint (juce::Graphics& g) override;
    void resized() override;
    /** The 50 ms refresh: the logo follows "bypass", the readouts and indicators the speeds. */
    void timerCallback() override;

    /** A switch showing normalImage when off and downImage when on, bound to parameterId
        unless it is empty, and added to the body. */
    std::unique_ptr<juce::ImageButton> createImageButton (juce::Image normalImage, juce::Image downImage,
                                                          const juce::String& parameterId);
    /** A filmstrip knob drawn by knobLook, bound to parameterId and added to the body. */
    std::unique_ptr<juce::Slider> createSlider (KnobLookAndFeel* knobLook, const juce::String& parameterId);
    /** Rebuilds the sync switches and the knobs, bound according to the link switch. */
    void loadParameterComponents();
    /** Shows the rounded speeds and re-times the beat indicators when a rounded speed changes. */
    void updateTempoLCD();

    /** A speed rounded to the nearest whole BPM, halves away from zero. */
    static float roundSpeed (float value);

    // The parts are public so that tests and benchmarks can reach the controls they drive.
    MarlinetAudioProcessor& audioProcessor;
    std::unique_ptr<KnobLookAndFeel> knobLookAndFeel;
    std::unique_ptr<KnobLookAndFeel> rateKnobLookAndFeel;
    std::unique_ptr<quenwick::MenuComponent> presetBar;
    std::unique_ptr<juce::Component> bodyContainer;
    std::unique_ptr<juce::ImageButton> syncButton1, syncButton2, linkButton, logoPanel;
    std::unique_ptr<juce::Slider> rateKnob1, depthKnob1, volumeKnob1, panKnob1,
                                  rateKnob2, volumeKnob2, depthKnob2, panKnob2;
    std::unique_ptr<juce::Label> rateReadout1, bpmCaption1, rateReadout2, bpmCaption2;
    std::unique_ptr<TempoLCD> tempoLCD1, tempoLCD2;
    std::vector<std::unique_ptr<juce::AudioProcessorValueTreeState::ButtonAttachment>> buttonAttachments;
    std::vector<std::unique_ptr<juce::AudioProcessorValueTreeState::SliderAttachment>> sliderAttachments;
    juce::Image backgroundImage;
    std::unique_ptr<juce::ImageComponent> backgroundView;
    int backgroundWidth = 0;
    int backgroundHeight = 0;

    /** The refresh interval, in milliseconds. */
    static constexpr int refreshIntervalMs = 50;

private:
    void createLabels();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MarlinetAudioProcessorEditor)
};
