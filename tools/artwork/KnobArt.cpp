#include "ArtCommon.h"

namespace art
{
    namespace
    {
        using namespace knob;

        const juce::Point<float> centrePoint { centre, centre };

        /** Maps the round 135 x 135 design of a knob into a 130 x 125 frame: the editor
            stretches the frame back into 135 x 135, so the knob comes out round. */
        juce::AffineTransform designToFrame (int frame)
        {
            return juce::AffineTransform::scale ((float) frameWidth / boundsSize, (float) frameHeight / boundsSize)
                       .translated (0.0f, (float) (frame * frameHeight));
        }

        /** The parts that do not turn: shadow, skirt body, cap with its fixed lighting. */
        void drawStaticKnob (juce::Graphics& g, bool isSpeed)
        {
            const auto shadowRadius = skirtRadius + 10.0f;
            juce::ColourGradient shadow (juce::Colours::black.withAlpha (0.6f), centre, centre + 3.0f,
                                         juce::Colours::transparentBlack, centre + shadowRadius, centre + 3.0f, true);
            shadow.addColour (skirtRadius / shadowRadius, juce::Colours::black.withAlpha (0.55f));
            g.setGradientFill (shadow);
            g.fillEllipse (juce::Rectangle<float> (shadowRadius * 2.0f, shadowRadius * 2.0f).withCentre (centrePoint.translated (0.0f, 3.0f)));

            const auto skirt = juce::Rectangle<float> (skirtRadius * 2.0f, skirtRadius * 2.0f).withCentre (centrePoint);
            g.setGradientFill (juce::ColourGradient (juce::Colour (66, 66, 71), 0.0f, skirt.getY(),
                                                     juce::Colour (16, 16, 18), 0.0f, skirt.getBottom(), false));
            g.fillEllipse (skirt);
            g.setColour (juce::Colours::black);
            g.drawEllipse (skirt, 1.5f);

            // Cap: a shallow dome lit from the upper left.
            const auto cap = juce::Rectangle<float> (capRadius * 2.0f, capRadius * 2.0f).withCentre (centrePoint);
            g.setColour (juce::Colours::black.withAlpha (0.55f));
            g.fillEllipse (cap.expanded (2.5f).translated (0.0f, 1.5f));
            const auto light = isSpeed ? juce::Colour (176, 48, 36) : juce::Colour (196, 196, 202);
            const auto dark  = isSpeed ? juce::Colour (58, 12, 10)  : juce::Colour (70, 70, 77);
            g.setGradientFill (juce::ColourGradient (light, cap.getX() + capRadius * 0.4f, cap.getY(),
                                                     dark, cap.getRight() - capRadius * 0.4f, cap.getBottom(), false));
            g.fillEllipse (cap);

            // Concentric machining rings, round so they need not turn with the knob.
            for (float r = 4.0f; r < capRadius - 2.0f; r += 2.2f)
            {
                g.setColour (juce::Colours::white.withAlpha (((int) (r * 10.0f) % 3) == 0 ? 0.05f : 0.025f));
                g.drawEllipse (juce::Rectangle<float> (r * 2.0f, r * 2.0f).withCentre (centrePoint), 0.8f);
            }
            juce::ColourGradient rim (juce::Colours::white.withAlpha (0.35f), 0.0f, cap.getY(),
                                      juce::Colours::black.withAlpha (0.5f), 0.0f, cap.getBottom(), false);
            g.setGradientFill (rim);
            g.drawEllipse (cap.reduced (0.6f), 1.2f);
        }

        /** The knurled grip, drawn at angle 0; it turns with the pointer. */
        juce::Path makeKnurl()
        {
            juce::Path grooves;
            constexpr int count = 40;
            for (int i = 0; i < count; ++i)
            {
                const auto a = juce::MathConstants<float>::twoPi * (float) i / (float) count;
                grooves.addLineSegment ({ polar (centrePoint, a, capRadius + 3.5f), polar (centrePoint, a, skirtRadius - 1.5f) }, 1.7f);
            }
            return grooves;
        }

        void drawTurningParts (juce::Graphics& g, const juce::Path& knurl, float radians, const juce::AffineTransform& toFrame)
        {
            const auto turn = juce::AffineTransform::rotation (radians, centre, centre);
            g.setColour (juce::Colours::black.withAlpha (0.45f));
            g.fillPath (knurl, turn.translated (0.0f, 1.0f).followedBy (toFrame));
            g.setColour (juce::Colours::white.withAlpha (0.09f));
            g.fillPath (knurl, turn.followedBy (toFrame));

            // Pointer: a dark groove with a white inlay, from near the centre out to the skirt.
            juce::Path line;
            line.addLineSegment ({ polar (centrePoint, radians, 11.0f), polar (centrePoint, radians, capRadius + 7.0f) }, 1.0f);
            juce::Path groove, inlay;
            juce::PathStrokeType (7.0f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded).createStrokedPath (groove, line);
            juce::PathStrokeType (3.6f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded).createStrokedPath (inlay, line);
            g.setColour (juce::Colours::black.withAlpha (0.75f));
            g.fillPath (groove, toFrame);
            g.setColour (juce::Colours::white);
            g.fillPath (inlay, toFrame);
        }
    }

    juce::Image renderKnobStrip (bool isSpeed)
    {
        // The frame-independent layer is painted once and copied under every frame.
        juce::Image still (juce::Image::ARGB, frameWidth, frameHeight, true);
        {
            juce::Graphics g (still);
            g.addTransform (designToFrame (0));
            drawStaticKnob (g, isSpeed);
        }

        juce::Image strip (juce::Image::ARGB, frameWidth, stripHeight, true);
        juce::Graphics g (strip);
        const auto knurl = makeKnurl();

        for (int frame = 0; frame < frameCount; ++frame)
        {
            juce::Graphics::ScopedSaveState state (g);
            g.reduceClipRegion (0, frame * frameHeight, frameWidth, frameHeight);
            g.drawImageAt (still, 0, frame * frameHeight);
            drawTurningParts (g, knurl, frameRadians (frame), designToFrame (frame));
        }
        return strip;
    }

    std::vector<Picture> knobPictures()
    {
        return {
            { "knob_speed.png", [] { return renderKnobStrip (true); } },
            { "knob_plain.png", [] { return renderKnobStrip (false); } },
        };
    }
}
