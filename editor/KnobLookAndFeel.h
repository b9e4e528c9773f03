#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Draws a rotary knob as one frame of a pre-rendered filmstrip: frames of 130 x 125
    pixels stacked from the top, the first at the knob's minimum. */
class KnobLookAndFeel : public juce::LookAndFeel_V4
{
public:
    /** Loads the speed knobs' strip when isRateKnob is true, else the plain knobs' strip. */
    explicit KnobLookAndFeel (bool isRateKnob);
    ~KnobLookAndFeel() override;

    void drawRotarySlider (juce::Graphics& g, int x, int y, int width, int height,
                           float sliderPos, float rotaryStartAngle, float rotaryEndAngle,
                           juce::Slider& slider) override;

    /** Size of one frame in the strip, in pixels. */
    static constexpr int frameWidth = 130;
    static constexpr int frameHeight = 125;

    /** The frame shown for a knob at proportion sliderPos (0 to 1) of its travel, in a strip
        stripHeight pixels tall. The last frame is reached only at exactly 1.0. */
    static int frameForPosition (int stripHeight, float sliderPos);

    /** The filmstrip; a null image when the picture is missing. */
    const juce::Image& getStrip() const noexcept { return knobStrip; }

private:
    juce::Image knobStrip;
    bool isRateKnob;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (KnobLookAndFeel)
};
