#include <gtest/gtest.h>
#include <juce_graphics/juce_graphics.h>
#include "MarlinetArtwork.h"

#include <algorithm>
#include <functional>
#include <optional>

namespace
{
    using Look = std::function<bool (juce::Colour)>;

    /** An embedded picture as the editor and the preset bar load it: by resource name, through the image cache. */
    juce::Image picture (const juce::String& name)
    {
        int size = 0;
        const auto* data = MarlinetArtwork::getNamedResource ((name + "_png").toRawUTF8(), size);
        return data == nullptr ? juce::Image() : juce::ImageCache::getFromMemory (data, size);
    }

    /** Visits each pixel of the area with x and y relative to its corner; pixels outside the image are transparent. */
    void forEachPixel (const juce::Image& image, juce::Rectangle<int> area, const std::function<void (int, int, juce::Colour)>& visit)
    {
        for (int y = 0; y < area.getHeight(); ++y)
            for (int x = 0; x < area.getWidth(); ++x)
                visit (x, y, image.getPixelAt (area.getX() + x, area.getY() + y));
    }

    float angleOf (double dx, double dy) { return (float) juce::radiansToDegrees (std::atan2 (dx, -dy)); }   // clockwise from twelve
    bool isWhite (juce::Colour c, int above) { return juce::jmin (c.getRed(), c.getGreen(), c.getBlue()) > above; }

    /** The pointer's direction in a frame: the white inlay's centroid, the 130 x 125 frame stretched to the knob's 135 square. */
    std::optional<float> pointerAngle (const juce::Image& strip, int frame)
    {
        double sx = 0, sy = 0, n = 0;
        forEachPixel (strip, { 0, frame * 125, 130, 125 }, [&] (int x, int y, juce::Colour c) {
            if (c.getAlpha() > 200 && isWhite (c, 235)) sx += (x + 0.5) * 135 / 130 - 67.5, sy += (y + 0.5) * 135 / 125 - 67.5, ++n; });
        return n < 20 ? std::nullopt : std::optional<float> (angleOf (sx, sy));
    }

    /** The directions of the printed ring's two end ticks (clockwise across the gap at six o'clock) around the knob at (left, top). */
    std::pair<float, float> ringEnds (const juce::Image& background, int left, int top)
    {
        std::vector<float> angles;
        forEachPixel (background, { left - 10, top - 10, 155, 155 }, [&] (int x, int y, juce::Colour c) {
            if (const auto r = std::hypot (x - 77.0, y - 77.0); r > 56 && r < 64 && isWhite (c, 140)) angles.push_back (angleOf (x - 77.0, y - 77.0)); });
        const auto centreNear = [&angles] (float end) {   // the end tick's pixels only: its neighbour lies several degrees away
            double sum = 0, n = 0;
            for (auto a : angles) if (std::abs (a - end) < 3.0f) sum += a, ++n;
            return (float) (sum / n); };
        const auto [low, high] = std::minmax_element (angles.begin(), angles.end());
        return angles.empty() ? std::pair<float, float>() : std::pair { centreNear (*low), centreNear (*high) };
    }
}

TEST (Artwork, EveryPictureIsEmbeddedAtItsPixelSizeWithTheSwitchesAndBarGlyphsInTheirColours)
{
    const Look grey = [] (juce::Colour c) { return std::abs (c.getRed() - c.getGreen()) < 12; }, lit = [] (juce::Colour c) { return c.getGreen() > c.getRed() + 60; };
    const auto near = [] (juce::Colour e) { return Look ([=] (juce::Colour c) { return std::abs (c.getRed() - e.getRed()) <= 40 && std::abs (c.getGreen() - e.getGreen()) <= 40 && std::abs (c.getBlue() - e.getBlue()) <= 40; }); };
    const auto olive = near ({ 114, 111, 81 }), green = near ({ 0, 255, 0 }), black = near (juce::Colours::black);   // glyphs are outlined in black
    struct Listed { const char* name; int width, height; Look looks = {}; };   // looks: a test of the mean opaque colour
    const Listed listed[] = {
        { "background", 2326, 392 }, { "logo_lit", 177, 72 }, { "logo_unlit", 177, 72 }, { "link_off", 77, 42, grey }, { "link_on", 77, 42, lit },
        { "sync_off", 53, 27, grey }, { "sync_on", 53, 27, lit }, { "knob_speed", 130, 14999 }, { "knob_plain", 130, 14999 }, { "temp15", 2326, 98 },
        { "temp34", 1146, 1360 }, { "temp6", 22, 22, near ({ 101, 68, 175 }) }, { "temp14", 22, 22, olive }, { "temp38", 41, 41, olive }, { "temp35", 41, 41, green },
        { "temp1", 16, 41, olive }, { "temp9", 16, 41, green }, { "temp24", 51, 41, olive }, { "temp12", 51, 41, green }, { "temp17", 40, 41, black },
        { "temp8", 40, 41, green }, { "temp13", 40, 41, black }, { "temp39", 40, 41, green }, { "temp41", 26, 41, black }, { "temp28", 26, 41, green },
        { "temp29", 26, 41, black }, { "temp25", 26, 41, green }, { "temp40", 41, 41, black }, { "temp26", 41, 41, green }, { "temp33", 32, 41, black },
        { "temp11", 32, 41, green }, { "temp32", 34, 33, black }, { "temp30", 34, 33, green }, { "temp16", 35, 33, black }, { "temp4", 35, 33, green },
        { "temp27", 24, 33, black }, { "temp10", 24, 33, green } };
    for (const auto& [name, width, height, looks] : listed)
    {
        const auto image = picture (name);
        EXPECT_EQ (image.getBounds(), juce::Rectangle<int> (width, height)) << name;
        double r = 0, g = 0, b = 0, n = 0;
        forEachPixel (image, image.getBounds(), [&] (int, int, juce::Colour c) { if (c.getAlpha() > 200) r += c.getRed(), g += c.getGreen(), b += c.getBlue(), ++n; });
        const auto mean = n == 0 ? juce::Colour() : juce::Colour ((juce::uint8) (r / n), (juce::uint8) (g / n), (juce::uint8) (b / n));
        EXPECT_TRUE (! looks || (n > 0 && looks (mean))) << name << ": " << mean.toDisplayString (false);
    }
    EXPECT_EQ (MarlinetArtwork::namedResourceListSize, (int) std::size (listed) + 2);   // and the two segment fonts
}

TEST (Artwork, EachKnobPointerTurnsEvenlyAcrossExactlyTheArcItsPrintedRingMarks)
{
    const auto plain = picture ("knob_plain"), background = picture ("background");
    for (int left : { 267, 474, 686, 887, 1306, 1511, 1723, 1926 })   // the knobs' squares in the body, each section's speed knob first
    {
        SCOPED_TRACE (left);
        const auto strip = left == 267 || left == 1306 ? picture ("knob_speed") : plain;
        const auto [ringStart, ringEnd] = ringEnds (background, left, 127);
        const auto first = pointerAngle (strip, 0), last = pointerAngle (strip, 119);
        ASSERT_TRUE (first && last);
        EXPECT_GT (ringEnd - ringStart, 180.0f);   // a real sweep, with the gap at the bottom
        EXPECT_NEAR (*first, ringStart, 0.7f);     // less than a third of the 2.3 degrees between frames
        EXPECT_NEAR (*last, ringEnd, 0.7f);
        for (int frame : { 1, 30, 59, 60, 89, 118 })   // frame k shows position k / 119
            EXPECT_NEAR (pointerAngle (strip, frame).value_or (1000.0f), *first + (*last - *first) * (float) frame / 119.0f, 1.0f) << frame;
    }
}
