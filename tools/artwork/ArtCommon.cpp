#include "ArtCommon.h"

namespace art
{
    namespace
    {
        Fonts loadedFonts;

        juce::Typeface::Ptr loadTypeface (const juce::File& file)
        {
            juce::MemoryBlock data;
            if (! file.loadFileAsData (data) || data.getSize() == 0)
                return {};
            return juce::Typeface::createSystemTypefaceFor (data.getData(), data.getSize());
        }

        juce::String printFaceName()
        {
            // A neutral grotesque; the build installs Nimbus Sans (fonts-urw-base35) so the
            // pictures come out the same on every machine. Any sans serif will do elsewhere.
            static const juce::String name = []
            {
                const auto available = juce::Font::findAllTypefaceNames();
                for (auto candidate : { "Nimbus Sans", "Liberation Sans", "DejaVu Sans", "Helvetica", "Arial" })
                    if (available.contains (candidate))
                        return juce::String (candidate);
                return juce::Font::getDefaultSansSerifFontName();
            }();
            return name;
        }
    }

    bool Fonts::load (const juce::File& directory)
    {
        dseg7 = loadTypeface (directory.getChildFile ("DSEG7Classic-Bold.ttf"));
        dseg14 = loadTypeface (directory.getChildFile ("DSEG14Classic-Bold.ttf"));
        return dseg7 != nullptr && dseg14 != nullptr;
    }

    const Fonts& fonts() { return loadedFonts; }
    bool loadFonts (const juce::File& directory) { return loadedFonts.load (directory); }

    juce::Font printFont (float height, bool bold)
    {
        juce::Font font (printFaceName(), height, bold ? juce::Font::bold : juce::Font::plain);
        return font;
    }

    juce::Font segmentFont7 (float height)  { return juce::Font (loadedFonts.dseg7).withHeight (height); }
    juce::Font segmentFont14 (float height) { return juce::Font (loadedFonts.dseg14).withHeight (height); }

    void drawTrackedText (juce::Graphics& g, const juce::String& text, juce::Rectangle<float> area,
                          const juce::Font& font, float tracking, juce::Justification justification)
    {
        juce::GlyphArrangement glyphs;
        float x = 0.0f;
        for (auto c : text)
        {
            const juce::String one = juce::String::charToString (c);
            glyphs.addLineOfText (font, one, x, 0.0f);
            x += font.getStringWidthFloat (one) + tracking;
        }
        const auto width = juce::jmax (0.0f, x - tracking);
        const auto ascent = font.getAscent(), descent = font.getDescent();
        juce::Rectangle<float> textBox (0.0f, -ascent, width, ascent + descent);
        const auto placed = justification.appliedToRectangle (textBox, area);
        glyphs.moveRangeOfGlyphs (0, -1, placed.getX(), placed.getY() + ascent);
        glyphs.draw (g);
    }

    void drawTextIntoBox (juce::Graphics& g, const juce::String& text, const juce::Font& font,
                          juce::Rectangle<float> inkBox)
    {
        juce::GlyphArrangement glyphs;
        glyphs.addLineOfText (font, text, 0.0f, 0.0f);
        juce::Path path;
        glyphs.createPath (path);
        const auto ink = path.getBounds();
        if (ink.isEmpty())
            return;
        g.fillPath (path, juce::RectanglePlacement (juce::RectanglePlacement::stretchToFit)
                              .getTransformToFit (ink, inkBox));
    }

    void fillBrushedMetal (juce::Image& image, juce::Rectangle<int> area, juce::Colour base, int seed)
    {
        area = area.getIntersection (image.getBounds());
        juce::Random random (seed);
        juce::Image::BitmapData pixels (image, area.getX(), area.getY(), area.getWidth(), area.getHeight(),
                                        juce::Image::BitmapData::writeOnly);
        const int w = area.getWidth();
        std::vector<float> noise ((size_t) w + 64), streak ((size_t) w);
        float rowDrift = 0.0f;

        for (int y = 0; y < area.getHeight(); ++y)
        {
            // Grain: white noise smoothed along the row gives the long brushing streaks.
            for (auto& n : noise)
                n = random.nextFloat() - 0.5f;
            float sum = 0.0f;
            constexpr int run = 32;
            for (int i = 0; i < run; ++i)
                sum += noise[(size_t) i];
            for (int x = 0; x < w; ++x)
            {
                streak[(size_t) x] = sum / (float) run;
                sum += noise[(size_t) (x + run)] - noise[(size_t) x];
            }
            rowDrift = rowDrift * 0.8f + (random.nextFloat() - 0.5f) * 2.2f;

            for (int x = 0; x < w; ++x)
            {
                const float grain = streak[(size_t) x] * 26.0f + (random.nextFloat() - 0.5f) * 3.0f + rowDrift;
                auto channel = [grain] (juce::uint8 v) { return (juce::uint8) juce::jlimit (0, 255, (int) std::lround (v + grain)); };
                pixels.setPixelColour (x, y, juce::Colour (channel (base.getRed()), channel (base.getGreen()),
                                                           channel (base.getBlue())));
            }
        }
    }

    void drawRecess (juce::Graphics& g, juce::Rectangle<float> area, float corner, juce::Colour inside)
    {
        // Light lower lip, dark rim, then the floor with a shadow cast by the upper edge.
        g.setColour (juce::Colours::white.withAlpha (0.13f));
        g.fillRoundedRectangle (area.expanded (2.0f).translated (0.0f, 1.5f), corner + 2.0f);
        g.setColour (juce::Colours::black.withAlpha (0.85f));
        g.fillRoundedRectangle (area.expanded (2.0f), corner + 2.0f);
        g.setColour (inside);
        g.fillRoundedRectangle (area, corner);

        juce::Graphics::ScopedSaveState state (g);
        juce::Path floor;
        floor.addRoundedRectangle (area, corner);
        g.reduceClipRegion (floor);
        g.setGradientFill (juce::ColourGradient (juce::Colours::black.withAlpha (0.6f), 0.0f, area.getY(),
                                                 juce::Colours::transparentBlack, 0.0f, area.getY() + 9.0f, false));
        g.fillRect (area);
    }

    void drawScrew (juce::Graphics& g, juce::Point<float> c, float radius, float slotRadians)
    {
        g.setColour (juce::Colours::black.withAlpha (0.7f));
        g.fillEllipse (juce::Rectangle<float> (radius * 2.0f + 3.0f, radius * 2.0f + 3.0f).withCentre (c.translated (0.0f, 1.0f)));
        juce::ColourGradient metal (juce::Colour (190, 190, 196), c.x - radius * 0.6f, c.y - radius * 0.7f,
                                    juce::Colour (62, 62, 68), c.x + radius * 0.6f, c.y + radius * 0.8f, true);
        g.setGradientFill (metal);
        g.fillEllipse (juce::Rectangle<float> (radius * 2.0f, radius * 2.0f).withCentre (c));
        juce::Path slot;
        slot.addRoundedRectangle (-radius * 0.78f, -radius * 0.14f, radius * 1.56f, radius * 0.28f, radius * 0.1f);
        g.setColour (juce::Colour (24, 24, 26));
        g.fillPath (slot, juce::AffineTransform::rotation (slotRadians).translated (c));
        slot.applyTransform (juce::AffineTransform::rotation (juce::MathConstants<float>::halfPi));
        g.fillPath (slot, juce::AffineTransform::rotation (slotRadians).translated (c));
    }

    void drawMakerMark (juce::Graphics& g, juce::Rectangle<float> area, juce::Colour colour)
    {
        const auto size = juce::jmin (area.getWidth(), area.getHeight());
        const auto box = area.withSizeKeepingCentre (size, size);
        const auto thickness = size * 0.13f;
        g.setColour (colour);
        g.drawEllipse (box.reduced (thickness * 0.5f + size * 0.04f), thickness);
        // The tail crosses the ring at five o'clock, as the tail of a "Q".
        const auto c = box.getCentre();
        g.drawLine ({ c.translated (size * 0.10f, size * 0.10f), c.translated (size * 0.47f, size * 0.47f) }, thickness);
        g.fillEllipse (juce::Rectangle<float> (size * 0.2f, size * 0.2f).withCentre (c));
    }
}
