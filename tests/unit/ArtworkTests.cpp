#include <gtest/gtest.h>

#include <juce_graphics/juce_graphics.h>

#include "MarlinetArtwork.h"

#include <cmath>
#include <algorithm>
#include <optional>
#include <vector>

// The embedded pictures as the editor and the preset bar load them: by resource name,
// through the image cache.
namespace
{
    juce::Image picture (const juce::String& fileName)
    {
        int size = 0;
        const auto resource = fileName.replaceCharacter ('.', '_');
        const auto* data = MarlinetArtwork::getNamedResource (resource.toRawUTF8(), size);
        return data == nullptr ? juce::Image() : juce::ImageCache::getFromMemory (data, size);
    }

    struct Listed { const char* file; int width, height; };

    // Every picture with the pixel size its user lays out for.
    const Listed listedPictures[] = {
        { "background.png", 2326, 392 }, { "logo_lit.png", 177, 72 }, { "logo_unlit.png", 177, 72 },
        { "link_off.png", 77, 42 },      { "link_on.png", 77, 42 },   { "sync_off.png", 53, 27 },
        { "sync_on.png", 53, 27 },       { "knob_speed.png", 130, 14999 }, { "knob_plain.png", 130, 14999 },
        { "temp15.png", 2326, 98 },      { "temp34.png", 1146, 1360 },
        { "temp6.png", 22, 22 },  { "temp14.png", 22, 22 }, { "temp38.png", 41, 41 }, { "temp35.png", 41, 41 },
        { "temp1.png", 16, 41 },  { "temp9.png", 16, 41 },  { "temp24.png", 51, 41 }, { "temp12.png", 51, 41 },
        { "temp17.png", 40, 41 }, { "temp8.png", 40, 41 },  { "temp13.png", 40, 41 }, { "temp39.png", 40, 41 },
        { "temp41.png", 26, 41 }, { "temp28.png", 26, 41 }, { "temp29.png", 26, 41 }, { "temp25.png", 26, 41 },
        { "temp40.png", 41, 41 }, { "temp26.png", 41, 41 }, { "temp33.png", 32, 41 }, { "temp11.png", 32, 41 },
        { "temp32.png", 34, 33 }, { "temp30.png", 34, 33 }, { "temp16.png", 35, 33 }, { "temp4.png", 35, 33 },
        { "temp27.png", 24, 33 }, { "temp10.png", 24, 33 },
    };

    // The knobs' bounds in the editor body (design units) and which strip each one shows.
    struct KnobPlace { int x, y; bool isSpeed; };
    const KnobPlace knobPlaces[] = { { 267, 127, true },  { 474, 127, false }, { 686, 127, false }, { 887, 127, false },
                                     { 1306, 127, true }, { 1511, 127, false }, { 1723, 127, false }, { 1926, 127, false } };
    constexpr float knobSize = 135.0f, frameWidth = 130.0f, frameHeight = 125.0f;

    float angleOf (float dx, float dy) { return juce::radiansToDegrees (std::atan2 (dx, -dy)); }   // clockwise from twelve

    /** The pointer's direction in one frame, in degrees: the centroid of the white inlay, with
        the frame stretched into the knob's square bounds as the look-and-feel draws it. */
    std::optional<float> pointerAngle (const juce::Image& strip, int frame)
    {
        double sx = 0, sy = 0;
        int count = 0;
        const juce::Image::BitmapData pixels (strip, juce::Image::BitmapData::readOnly);
        for (int y = 0; y < (int) frameHeight && frame * 125 + y < strip.getHeight(); ++y)
            for (int x = 0; x < (int) frameWidth; ++x)
            {
                const auto c = pixels.getPixelColour (x, frame * 125 + y);
                if (c.getAlpha() > 200 && juce::jmin (c.getRed(), c.getGreen(), c.getBlue()) > 235)
                {
                    sx += (x + 0.5) * knobSize / frameWidth - knobSize * 0.5;
                    sy += (y + 0.5) * knobSize / frameHeight - knobSize * 0.5;
                    ++count;
                }
            }
        if (count < 20)
            return std::nullopt;
        return angleOf ((float) sx, (float) sy);
    }

    /** The directions of the printed tick ring's two end ticks around a knob, in degrees: the
        centre lines of the first and last tick going clockwise across the gap at six o'clock. */
    std::pair<float, float> ringEnds (const juce::Image& background, const KnobPlace& place)
    {
        const float cx = (float) place.x + knobSize * 0.5f, cy = (float) place.y + knobSize * 0.5f;
        std::vector<float> angles;
        const juce::Image::BitmapData pixels (background, juce::Image::BitmapData::readOnly);
        for (int y = place.y - 10; y < place.y + 145; ++y)
            for (int x = place.x - 10; x < place.x + 145; ++x)
            {
                const float dx = (float) x + 0.5f - cx, dy = (float) y + 0.5f - cy;
                const float r = std::hypot (dx, dy);
                const auto c = pixels.getPixelColour (x, y);
                if (r > 56.0f && r < 64.0f && juce::jmin (c.getRed(), c.getGreen(), c.getBlue()) > 140)
                    angles.push_back (angleOf (dx, dy));
            }
        if (angles.empty())
            return { 0.0f, 0.0f };

        const auto [lowest, highest] = std::minmax_element (angles.begin(), angles.end());
        const float low = *lowest, high = *highest;
        // Average the pixels of the end tick only (its neighbour lies several degrees away).
        auto centreNear = [&angles] (float end)
        {
            double sum = 0;
            int n = 0;
            for (auto a : angles)
                if (std::abs (a - end) < 3.0f) { sum += a; ++n; }
            return (float) (sum / n);
        };
        return { centreNear (low), centreNear (high) };
    }

    juce::Colour meanOpaqueColour (const juce::Image& image)
    {
        double r = 0, g = 0, b = 0, n = 0;
        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
            {
                const auto c = image.getPixelAt (x, y);
                if (c.getAlpha() > 200)
                {
                    r += c.getRed(); g += c.getGreen(); b += c.getBlue(); ++n;
                }
            }
        if (n == 0)
            return juce::Colours::transparentBlack;
        return juce::Colour ((juce::uint8) (r / n), (juce::uint8) (g / n), (juce::uint8) (b / n));
    }

    bool isNear (juce::Colour a, juce::Colour b, int tolerance)
    {
        return std::abs (a.getRed() - b.getRed()) <= tolerance && std::abs (a.getGreen() - b.getGreen()) <= tolerance
            && std::abs (a.getBlue() - b.getBlue()) <= tolerance;
    }
}

TEST (Artwork, EveryPictureIsEmbeddedAtItsPixelSizeAndNothingElseIs)
{
    for (const auto& listed : listedPictures)
    {
        SCOPED_TRACE (listed.file);
        const auto image = picture (listed.file);
        ASSERT_TRUE (image.isValid());
        EXPECT_EQ (image.getWidth(), listed.width);
        EXPECT_EQ (image.getHeight(), listed.height);
    }
    // The two segment fonts and the pictures above: no stray or forgotten resource.
    EXPECT_EQ (MarlinetArtwork::namedResourceListSize, (int) std::size (listedPictures) + 2);
}

TEST (Artwork, PanelPicturesAreOpaqueWhileKnobsAndTheInfoCardLetTheBackgroundThrough)
{
    EXPECT_FALSE (picture ("background.png").hasAlphaChannel());
    EXPECT_FALSE (picture ("temp15.png").hasAlphaChannel());

    const auto card = picture ("temp34.png");
    EXPECT_EQ (card.getPixelAt (0, 0).getAlpha(), 0);
    EXPECT_EQ (card.getPixelAt (card.getWidth() - 1, card.getHeight() - 1).getAlpha(), 0);
    EXPECT_EQ (card.getPixelAt (card.getWidth() / 2, card.getHeight() / 2).getAlpha(), 255);

    // Around the knob the strip is clear, so the printed ring shows.
    const auto strip = picture ("knob_plain.png");
    EXPECT_EQ (strip.getPixelAt (1, 1).getAlpha(), 0);
    EXPECT_EQ (strip.getPixelAt (65, 62).getAlpha(), 255);
}

TEST (Artwork, EachKnobPointerSweepsExactlyTheArcItsPrintedRingMarks)
{
    const auto background = picture ("background.png");
    for (const auto& place : knobPlaces)
    {
        SCOPED_TRACE (juce::String (place.x));
        const auto strip = picture (place.isSpeed ? "knob_speed.png" : "knob_plain.png");
        const auto [ringStart, ringEnd] = ringEnds (background, place);
        const auto minimum = pointerAngle (strip, 0);
        const auto maximum = pointerAngle (strip, 119);
        ASSERT_TRUE (minimum && maximum);

        // Less than a third of the angle between two frames (about 2.3 degrees).
        EXPECT_NEAR (*minimum, ringStart, 0.7f);
        EXPECT_NEAR (*maximum, ringEnd, 0.7f);
        EXPECT_GT (ringEnd - ringStart, 180.0f);   // a real sweep, with the gap at the bottom
    }
}

TEST (Artwork, FramesTurnEvenlyFromMinimumToMaximum)
{
    for (auto* name : { "knob_speed.png", "knob_plain.png" })
    {
        SCOPED_TRACE (name);
        const auto strip = picture (name);
        const auto first = pointerAngle (strip, 0), last = pointerAngle (strip, 119);
        ASSERT_TRUE (first && last);
        EXPECT_NE (*first, *last);

        // The look-and-feel shows frame k from position k / 119, so the angle must be linear in k.
        for (int frame : { 1, 30, 59, 60, 89, 118 })
        {
            const auto angle = pointerAngle (strip, frame);
            ASSERT_TRUE (angle) << frame;
            EXPECT_NEAR (*angle, *first + (*last - *first) * (float) frame / 119.0f, 1.0f) << frame;
        }

        // The last frame lacks its final row: nothing of the knob may need it.
        for (int x = 0; x < 130; ++x)
            EXPECT_EQ (strip.getPixelAt (x, 14998).getAlpha(), 0);
    }
}

TEST (Artwork, SwitchesAreGreenWhenOnAndGreyWhenOff)
{
    for (auto* base : { "link", "sync" })
    {
        SCOPED_TRACE (base);
        const auto off = meanOpaqueColour (picture (juce::String (base) + "_off.png"));
        const auto on = meanOpaqueColour (picture (juce::String (base) + "_on.png"));
        EXPECT_LT (std::abs (off.getRed() - off.getGreen()), 12);
        EXPECT_GT (on.getGreen(), on.getRed() + 60);
    }
    const auto lit = meanOpaqueColour (picture ("logo_lit.png"));
    const auto unlit = meanOpaqueColour (picture ("logo_unlit.png"));
    EXPECT_GT (lit.getGreen(), unlit.getGreen() + 10);
}

TEST (Artwork, PresetBarGlyphsHaveTheirIdleAndActiveColours)
{
    const auto olive = juce::Colour (114, 111, 81), green = juce::Colour (0, 255, 0);
    struct Pair { const char* idle; const char* active; juce::Colour idleColour, activeColour; };
    const Pair pairs[] = {
        { "temp6", "temp14", juce::Colour (101, 68, 175), olive }, { "temp38", "temp35", olive, green },
        { "temp1", "temp9", olive, green },   { "temp24", "temp12", olive, green }, { "temp17", "temp8", juce::Colours::black, green },
        { "temp13", "temp39", juce::Colours::black, green }, { "temp41", "temp28", juce::Colours::black, green },
        { "temp29", "temp25", juce::Colours::black, green }, { "temp40", "temp26", juce::Colours::black, green },
        { "temp33", "temp11", juce::Colours::black, green }, { "temp32", "temp30", juce::Colours::black, green },
        { "temp16", "temp4", juce::Colours::black, green },  { "temp27", "temp10", juce::Colours::black, green },
    };
    for (const auto& pair : pairs)
    {
        SCOPED_TRACE (pair.idle);
        // The book's hand is outlined in black, so allow some drift from the pure glyph colour.
        EXPECT_TRUE (isNear (meanOpaqueColour (picture (juce::String (pair.idle) + ".png")), pair.idleColour, 40));
        EXPECT_TRUE (isNear (meanOpaqueColour (picture (juce::String (pair.active) + ".png")), pair.activeColour, 40));
    }
}

TEST (Artwork, InfoCardLeavesRoomForTheVersionRightAfterItsCaption)
{
    // The window draws the version from x 357 at 0.4 scale, centred on y 87: the caption's ink
    // must end just before it, on that line, and nothing may lie where the number goes.
    const auto card = picture ("temp34.png");
    const auto isInk = [&card] (int x, int y) { return card.getPixelAt (x, y).getBrightness() > 0.5f; };
    int captionRight = -1;
    for (int y = 205; y < 228; ++y)
        for (int x = 700; x < 892; ++x)
            if (isInk (x, y))
                captionRight = juce::jmax (captionRight, x);
    EXPECT_GE (captionRight, 880);
    EXPECT_LE (captionRight, 890);
    for (int y = 195; y < 240; ++y)
        for (int x = 893; x < 1010; ++x)
            ASSERT_FALSE (isInk (x, y)) << x << ", " << y;
}

TEST (Artwork, SegmentWindowsShowFaintUnlitSegments)
{
    const auto background = picture ("background.png");
    for (auto window : { juce::Rectangle<int> (575, 35, 86, 48), juce::Rectangle<int> (1620, 35, 86, 48) })
    {
        int ghost = 0;
        for (int y = window.getY(); y < window.getBottom(); ++y)
            for (int x = window.getX(); x < window.getRight(); ++x)
            {
                const auto c = background.getPixelAt (x, y);
                ghost += (c.getRed() > c.getGreen() + 25 && c.getRed() < 110) ? 1 : 0;
                ASSERT_LT (c.getRed(), 140);   // unlit: never as bright as a lit segment
            }
        EXPECT_GT (ghost, 300);
    }
}
