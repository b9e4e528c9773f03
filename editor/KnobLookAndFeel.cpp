#include "editor/KnobLookAndFeel.h"

#include "editor/EditorResources.h"

KnobLookAndFeel::KnobLookAndFeel (bool rateKnob)
    : isRateKnob (rateKnob)
{
    // The image cache keeps the decoded strip, so every knob of every editor shares one copy.
    knobStrip = quenwick::loadPicture (isRateKnob ? EditorResources::knobSpeed
                                                         : EditorResources::knobPlain);
}

KnobLookAndFeel::~KnobLookAndFeel()
{
    knobStrip = {};
}

int KnobLookAndFeel::frameForPosition (int stripHeight, float sliderPos)
{
    const int frames = juce::jmax (0, stripHeight) / frameHeight;

    // A position a rounding error outside 0..1 must not pick a frame beyond the strip.
    return juce::jlimit (0, frames, (int) ((float) frames * sliderPos));
}

void KnobLookAndFeel::drawRotarySlider (juce::Graphics& g, int, int, int width, int height,
                                        float sliderPos, float, float, juce::Slider&)
{
    if (! knobStrip.isValid())
        return;

    const int frame = frameForPosition (knobStrip.getHeight(), sliderPos);

    // Stretched to the whole area: the strip is drawn pre-squeezed for the knobs' square bounds.
    g.drawImage (knobStrip, 0, 0, width, height, 0, frame * frameHeight, frameWidth, frameHeight, false);
}
