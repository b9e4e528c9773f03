#include "ArtCommon.h"

namespace art
{
    namespace
    {
        constexpr int panelWidth = 2326, panelHeight = 392;

        /** The segment windows, each with the label bounds that the editor lays over them. */
        struct SegmentWindow
        {
            juce::Rectangle<float> glass;
            juce::Rectangle<int> readout, caption, indicator;
            bool indicatorCentred;
        };

        const SegmentWindow segmentWindows[] = {
            { { 563.0f, 26.0f, 189.0f, 66.0f }, { 575, 35, 86, 48 }, { 655, 54, 48, 32 }, { 704, 35, 36, 48 }, true },
            // The second indicator keeps a label's default justification, centred left.
            { { 1608.0f, 26.0f, 173.0f, 66.0f }, { 1620, 35, 86, 48 }, { 1695, 54, 48, 32 }, { 1733, 35, 36, 48 }, false },
        };

        const juce::Rectangle<int> syncBounds[] = { { 155, 183, 53, 27 }, { 2115, 183, 53, 27 } };
        const juce::Rectangle<int> linkBounds { 1125, 311, 77, 42 };
        const juce::Rectangle<int> logoBounds { 1066, 160, 190, 72 };

        /** The readout faces: the segment fonts condensed to the narrow cells of the windows. */
        constexpr float segmentHorizontalScale = 0.6f;
        juce::Font readoutFont()   { return segmentFont7 (50.0f).withHorizontalScale (segmentHorizontalScale); }
        juce::Font captionFont()   { return segmentFont14 (20.0f).withHorizontalScale (segmentHorizontalScale); }
        juce::Font indicatorFont() { return segmentFont14 (50.0f).withHorizontalScale (segmentHorizontalScale); }

        /** Draws text the way a juce::Label with the default border lays it out, so unlit
            segments sit exactly under the lit ones. */
        void drawAsLabel (juce::Graphics& g, const juce::String& text, juce::Rectangle<int> bounds,
                          const juce::Font& font, juce::Justification justification)
        {
            const auto area = juce::BorderSize<int> (1, 5, 1, 5).subtractedFrom (bounds);
            g.setFont (font);
            g.drawFittedText (text, area, justification,
                              juce::jmax (1, (int) ((float) area.getHeight() / font.getHeight())), 0.0f);
        }

        void drawSegmentWindow (juce::Graphics& g, const SegmentWindow& w)
        {
            drawRecess (g, w.glass, 7.0f, juce::Colour (16, 4, 4));
            g.setColour (colours::segmentGhost);
            drawAsLabel (g, "888", w.readout, readoutFont(), juce::Justification::centred);
            drawAsLabel (g, "~~~", w.caption, captionFont(), juce::Justification::centred);
            drawAsLabel (g, "~", w.indicator, indicatorFont(),
                         w.indicatorCentred ? juce::Justification::centred : juce::Justification::centredLeft);

            // Glass: a faint sheen over the upper half.
            juce::Graphics::ScopedSaveState state (g);
            juce::Path glass;
            glass.addRoundedRectangle (w.glass, 7.0f);
            g.reduceClipRegion (glass);
            g.setGradientFill (juce::ColourGradient (juce::Colours::white.withAlpha (0.07f), 0.0f, w.glass.getY(),
                                                     juce::Colours::white.withAlpha (0.0f), 0.0f, w.glass.getCentreY(), false));
            g.fillRect (w.glass.withHeight (w.glass.getHeight() * 0.5f));
        }

        void drawEngravedText (juce::Graphics& g, const juce::String& text, juce::Rectangle<float> area,
                               const juce::Font& font, float tracking, juce::Justification justification,
                               juce::Colour colour)
        {
            g.setColour (juce::Colours::black.withAlpha (0.8f));
            drawTrackedText (g, text, area.translated (0.0f, 1.5f), font, tracking, justification);
            g.setColour (colour);
            drawTrackedText (g, text, area, font, tracking, justification);
        }

        void drawEngravedOutline (juce::Graphics& g, juce::Rectangle<float> area, float corner)
        {
            g.setColour (juce::Colours::white.withAlpha (0.07f));
            g.drawRoundedRectangle (area.translated (1.0f, 1.5f), corner, 1.5f);
            g.setColour (juce::Colours::black.withAlpha (0.65f));
            g.drawRoundedRectangle (area, corner, 1.5f);
        }

        void drawTickRing (juce::Graphics& g, const KnobPlace& place)
        {
            using namespace knob;
            const auto c = place.bounds.toFloat().getCentre();
            const int steps = (majorTicks - 1) * 2;
            for (int i = 0; i <= steps; ++i)
            {
                const auto major = (i % 2) == 0;
                const auto a = juce::degreesToRadians (startDegrees + (endDegrees - startDegrees) * (float) i / (float) steps);
                const juce::Line<float> tick (polar (c, a, tickInner), polar (c, a, major ? tickMajorOuter : tickMinorOuter));
                g.setColour (juce::Colours::black.withAlpha (0.7f));
                g.drawLine (tick.withShortenedStart (-0.5f).withShortenedEnd (-0.5f), major ? 4.6f : 3.2f);
                g.setColour (colours::caption.withAlpha (major ? 1.0f : 0.7f));
                g.drawLine (tick, major ? 2.6f : 1.6f);
            }

            // End labels just outside the ring's two ends.
            const char* low = "0";
            const char* high = "10";
            if (place.isSpeed) { low = "MIN"; high = "MAX"; }
            else if (juce::String (place.caption) == "PAN") { low = "L"; high = "R"; }
            g.setColour (colours::caption.withAlpha (0.8f));
            g.setFont (printFont (15.0f));
            const auto lowAt = polar (c, juce::degreesToRadians (startDegrees), 77.0f);
            const auto highAt = polar (c, juce::degreesToRadians (endDegrees), 77.0f);
            g.drawText (low, juce::Rectangle<float> (44.0f, 18.0f).withCentre (lowAt), juce::Justification::centred);
            g.drawText (high, juce::Rectangle<float> (44.0f, 18.0f).withCentre (highAt), juce::Justification::centred);
            if (juce::String (place.caption) == "PAN")
                g.drawText ("C", juce::Rectangle<float> (20.0f, 16.0f).withCentre (polar (c, 0.0f, 74.0f)), juce::Justification::centred);

            drawEngravedText (g, place.caption, { c.x - 100.0f, 276.0f, 200.0f, 24.0f }, printFont (22.0f), 4.0f,
                              juce::Justification::centred, colours::caption);
        }

        void drawSectionTitle (juce::Graphics& g, const juce::String& title, juce::Rectangle<float> area, bool alignRight)
        {
            const auto font = printFont (46.0f).italicised();
            const auto justification = alignRight ? juce::Justification::centredRight : juce::Justification::centredLeft;
            drawEngravedText (g, title, area, font, 7.0f, justification, colours::caption);

            const auto width = font.getStringWidthFloat (title) + 7.0f * (float) (title.length() - 1);
            auto bar = juce::Rectangle<float> (width, 3.0f).withY (area.getBottom() + 4.0f);
            bar.setX (alignRight ? area.getRight() - width : area.getX());
            g.setColour (colours::accent);
            g.fillRect (bar);
        }

        void drawSyncPlace (juce::Graphics& g, juce::Rectangle<int> bounds)
        {
            const auto b = bounds.toFloat();
            drawRecess (g, b.expanded (4.0f), 5.0f, juce::Colour (10, 10, 11));
            drawEngravedText (g, "HOST", { b.getCentreX() - 60.0f, b.getBottom() + 13.0f, 120.0f, 20.0f },
                              printFont (18.0f), 3.0f, juce::Justification::centred, colours::caption);
        }

        /** Separable box blur of an ARGB image, for glows. */
        void blur (juce::Image& image, int radius)
        {
            const int w = image.getWidth(), h = image.getHeight();
            juce::Image::BitmapData data (image, juce::Image::BitmapData::readWrite);
            std::vector<float> line ((size_t) juce::jmax (w, h) * 4), out (line.size());
            auto pass = [&] (int count, int length, bool horizontal)
            {
                for (int n = 0; n < count; ++n)
                {
                    for (int i = 0; i < length; ++i)
                    {
                        const auto* p = horizontal ? data.getPixelPointer (i, n) : data.getPixelPointer (n, i);
                        for (int k = 0; k < 4; ++k)
                            line[(size_t) (i * 4 + k)] = p[k];
                    }
                    for (int i = 0; i < length; ++i)
                        for (int k = 0; k < 4; ++k)
                        {
                            float sum = 0.0f;
                            for (int j = i - radius; j <= i + radius; ++j)
                                if (j >= 0 && j < length)
                                    sum += line[(size_t) (j * 4 + k)];
                            out[(size_t) (i * 4 + k)] = sum / (float) (2 * radius + 1);
                        }
                    for (int i = 0; i < length; ++i)
                    {
                        auto* p = horizontal ? data.getPixelPointer (i, n) : data.getPixelPointer (n, i);
                        for (int k = 0; k < 4; ++k)
                            p[k] = (juce::uint8) juce::jlimit (0, 255, (int) std::lround (out[(size_t) (i * 4 + k)]));
                    }
                }
            };
            pass (h, w, true);
            pass (w, h, false);
        }

        /** Paints `draw` twice: blurred as a glow, then sharp on top. */
        void withGlow (juce::Image& target, juce::Colour glowColour, int radius, const std::function<void (juce::Graphics&)>& draw)
        {
            juce::Image glow (juce::Image::ARGB, target.getWidth(), target.getHeight(), true);
            {
                juce::Graphics g (glow);
                draw (g);
            }
            blur (glow, radius);
            juce::Graphics g (target);
            g.setColour (glowColour);
            g.drawImageAt (glow, 0, 0, false);
            draw (g);
        }

        juce::Image renderLogo (bool lit)
        {
            juce::Image image (juce::Image::RGB, 177, 72, true);
            {
                juce::Graphics g (image);
                g.fillAll (juce::Colours::black);
            }
            const auto ink = lit ? juce::Colour (40, 255, 96) : juce::Colour (26, 44, 30);
            auto draw = [ink] (juce::Graphics& g)
            {
                drawMakerMark (g, { 10.0f, 12.0f, 48.0f, 48.0f }, ink);
                g.setColour (ink);
                drawTrackedText (g, "QUENWICK", { 66.0f, 14.0f, 104.0f, 28.0f }, printFont (21.0f), 0.5f,
                                 juce::Justification::centredLeft);
                drawTrackedText (g, "MARLINET RACK", { 67.0f, 42.0f, 104.0f, 14.0f }, printFont (10.0f, false), 1.6f,
                                 juce::Justification::centredLeft);
            };
            if (lit)
                withGlow (image, ink, 4, draw);
            else
            {
                juce::Graphics g (image);
                draw (g);
            }
            return image;
        }

        juce::Image renderKeycap (int width, int height, const juce::String& text, bool on, float fontHeight)
        {
            juce::Image image (juce::Image::ARGB, width, height, true);
            juce::Graphics g (image);
            const auto area = image.getBounds().toFloat();
            const auto corner = (float) height * 0.18f;
            g.setColour (juce::Colour (8, 8, 8));
            g.fillRoundedRectangle (area, corner);

            const auto face = area.reduced (2.0f);
            const auto top    = on ? juce::Colour (120, 255, 120) : juce::Colour (168, 168, 170);
            const auto bottom = on ? juce::Colour (0, 178, 20)    : juce::Colour (96, 96, 100);
            g.setGradientFill (juce::ColourGradient (top, 0.0f, face.getY(), bottom, 0.0f, face.getBottom(), false));
            g.fillRoundedRectangle (face, corner - 1.0f);
            g.setColour (juce::Colours::white.withAlpha (on ? 0.45f : 0.3f));
            g.drawLine (face.getX() + corner, face.getY() + 1.0f, face.getRight() - corner, face.getY() + 1.0f, 1.2f);

            g.setColour (juce::Colours::white.withAlpha (on ? 0.35f : 0.2f));
            drawTrackedText (g, text, face.translated (0.0f, 1.0f), printFont (fontHeight), fontHeight * 0.08f, juce::Justification::centred);
            g.setColour (on ? juce::Colour (6, 48, 10) : juce::Colour (34, 34, 36));
            drawTrackedText (g, text, face, printFont (fontHeight), fontHeight * 0.08f, juce::Justification::centred);
            return image;
        }

        juce::Image loadPicture (const juce::File& directory, const char* name)
        {
            return juce::ImageFileFormat::loadFrom (directory.getChildFile (name));
        }
    }

    const std::vector<KnobPlace>& knobPlaces()
    {
        static const std::vector<KnobPlace> places {
            { { 267, 127, 135, 135 }, "SPEED", true, 1 },   { { 474, 127, 135, 135 }, "DEPTH", false, 1 },
            { { 686, 127, 135, 135 }, "VOLUME", false, 1 }, { { 887, 127, 135, 135 }, "PAN", false, 1 },
            { { 1306, 127, 135, 135 }, "SPEED", true, 2 },  { { 1511, 127, 135, 135 }, "DEPTH", false, 2 },
            { { 1723, 127, 135, 135 }, "VOLUME", false, 2 },{ { 1926, 127, 135, 135 }, "PAN", false, 2 },
        };
        return places;
    }

    juce::Image renderBackground()
    {
        juce::Image image (juce::Image::RGB, panelWidth, panelHeight, true);
        fillBrushedMetal (image, image.getBounds(), juce::Colour (36, 37, 40), 1163);

        juce::Graphics g (image);
        g.setGradientFill (juce::ColourGradient (juce::Colours::white.withAlpha (0.05f), 0.0f, 0.0f,
                                                 juce::Colours::black.withAlpha (0.3f), 0.0f, (float) panelHeight, false));
        g.fillAll();

        // Seam under the preset bar, and the panel's lower edge.
        g.setColour (juce::Colours::black);
        g.fillRect (0, 0, panelWidth, 3);
        g.setColour (juce::Colours::white.withAlpha (0.12f));
        g.fillRect (0, 3, panelWidth, 1);
        g.setColour (juce::Colours::black.withAlpha (0.8f));
        g.fillRect (0, panelHeight - 3, panelWidth, 3);

        for (auto [x, y] : { std::pair { 20.0f, 24.0f }, { 20.0f, 368.0f }, { 2306.0f, 24.0f }, { 2306.0f, 368.0f } })
            drawScrew (g, { x, y }, 9.0f, juce::degreesToRadians (x * 0.37f + y));

        drawEngravedOutline (g, { 40.0f, 14.0f, 1006.0f, 364.0f }, 12.0f);
        drawEngravedOutline (g, { 1280.0f, 14.0f, 1006.0f, 364.0f }, 12.0f);

        drawSectionTitle (g, "TURBO", { 84.0f, 30.0f, 420.0f, 54.0f }, false);
        drawSectionTitle (g, "SLOWMO", { 1826.0f, 30.0f, 420.0f, 54.0f }, true);

        const auto smallPrint = printFont (15.0f);
        const auto printColour = colours::caption.withAlpha (0.55f);
        drawEngravedText (g, "MARLINET RACK", { 84.0f, 344.0f, 400.0f, 18.0f }, smallPrint, 4.0f, juce::Justification::centredLeft, printColour);
        drawEngravedText (g, "DUAL TREMOLO", { 1846.0f, 344.0f, 400.0f, 18.0f }, smallPrint, 4.0f, juce::Justification::centredRight, printColour);

        for (auto& window : segmentWindows)
            drawSegmentWindow (g, window);
        for (auto& bounds : syncBounds)
            drawSyncPlace (g, bounds);
        for (auto& place : knobPlaces())
            drawTickRing (g, place);

        // Middle strip: the divider runs down to the logo window and on to the link switch.
        const auto middle = (float) linkBounds.getCentreX();
        auto groove = [&g, middle] (float top, float bottom)
        {
            g.setColour (juce::Colours::black.withAlpha (0.75f));
            g.fillRect (juce::Rectangle<float> (middle - 2.0f, top, 3.0f, bottom - top));
            g.setColour (juce::Colours::white.withAlpha (0.1f));
            g.fillRect (juce::Rectangle<float> (middle + 1.0f, top, 1.5f, bottom - top));
        };
        groove (16.0f, 146.0f);
        groove (246.0f, (float) linkBounds.getY() - 5.0f);
        drawRecess (g, logoBounds.toFloat().expanded (10.0f, 10.0f), 8.0f, juce::Colours::black);
        drawRecess (g, linkBounds.toFloat().expanded (4.0f), 6.0f, juce::Colour (10, 10, 11));
        return image;
    }

    juce::Image renderMock (const juce::File& directory)
    {
        auto image = loadPicture (directory, "background.png").convertedToFormat (juce::Image::ARGB);
        juce::Graphics g (image);
        const auto speed = loadPicture (directory, "knob_speed.png");
        const auto plain = loadPicture (directory, "knob_plain.png");
        int n = 0;
        for (auto& place : knobPlaces())
        {
            const int frame = (n++ * 17) % knob::frameCount;
            g.drawImage (place.isSpeed ? speed : plain, place.bounds.getX(), place.bounds.getY(), place.bounds.getWidth(),
                         place.bounds.getHeight(), 0, frame * knob::frameHeight, knob::frameWidth, knob::frameHeight);
        }
        g.drawImage (loadPicture (directory, "sync_off.png"), syncBounds[0].toFloat(), juce::RectanglePlacement::centred);
        g.drawImage (loadPicture (directory, "sync_on.png"), syncBounds[1].toFloat(), juce::RectanglePlacement::centred);
        g.drawImage (loadPicture (directory, "link_on.png"), linkBounds.toFloat(), juce::RectanglePlacement::centred);
        g.drawImage (loadPicture (directory, "logo_lit.png"), logoBounds.toFloat(), juce::RectanglePlacement::centred);

        g.setColour (colours::segmentLit);
        const char* readouts[] = { "120", "19" };
        for (int i = 0; i < 2; ++i)
        {
            const auto& w = segmentWindows[i];
            drawAsLabel (g, readouts[i], w.readout, readoutFont(), juce::Justification::centred);
            drawAsLabel (g, "BPM", w.caption, captionFont(), juce::Justification::centred);
            drawAsLabel (g, i == 0 ? "1" : "|", w.indicator, indicatorFont(),
                         w.indicatorCentred ? juce::Justification::centred : juce::Justification::centredLeft);
        }
        return image;
    }

    std::vector<Picture> panelPictures()
    {
        return {
            { "background.png", [] { return renderBackground(); } },
            { "logo_lit.png",   [] { return renderLogo (true); } },
            { "logo_unlit.png", [] { return renderLogo (false); } },
            { "link_off.png",   [] { return renderKeycap (77, 42, "LINK", false, 19.0f); } },
            { "link_on.png",    [] { return renderKeycap (77, 42, "LINK", true, 19.0f); } },
            { "sync_off.png",   [] { return renderKeycap (53, 27, "SYNC", false, 12.5f); } },
            { "sync_on.png",    [] { return renderKeycap (53, 27, "SYNC", true, 12.5f); } },
        };
    }
}
