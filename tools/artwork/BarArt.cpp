#include "ArtCommon.h"

namespace art
{
    namespace
    {
        using Glyph = std::function<void (juce::Graphics&, juce::Colour)>;

        juce::PathStrokeType stroke (float width)
        {
            return { width, juce::PathStrokeType::curved, juce::PathStrokeType::rounded };
        }

        void strokePath (juce::Graphics& g, const juce::Path& p, float width) { g.strokePath (p, stroke (width)); }

        juce::Image renderGlyph (int width, int height, juce::Colour colour, const Glyph& glyph)
        {
            juce::Image image (juce::Image::ARGB, width, height, true);
            juce::Graphics g (image);
            g.setColour (colour);
            glyph (g, colour);
            return image;
        }

        //==============================================================================
        void power (juce::Graphics& g, juce::Colour)
        {
            juce::Path arc;
            arc.addCentredArc (11.0f, 12.0f, 7.6f, 7.6f, 0.0f, juce::degreesToRadians (38.0f), juce::degreesToRadians (322.0f), true);
            strokePath (g, arc, 2.4f);
            g.drawLine (11.0f, 2.5f, 11.0f, 11.0f, 2.4f);
        }

        void mark (juce::Graphics& g, juce::Colour c) { drawMakerMark (g, { 1.0f, 1.0f, 39.0f, 39.0f }, c); }

        void info (juce::Graphics& g, juce::Colour)
        {
            g.fillEllipse (4.0f, 3.0f, 8.0f, 8.0f);
            g.fillRoundedRectangle (4.5f, 15.0f, 7.0f, 23.0f, 2.0f);
            g.fillRect (2.0f, 15.0f, 5.0f, 3.0f);
            g.fillRect (2.0f, 35.5f, 12.0f, 3.0f);
        }

        void bookWithHand (juce::Graphics& g, juce::Colour)
        {
            // A hand pointing up into the book; the pages stop short of it so it reads clearly.
            juce::Path hand;
            hand.addRoundedRectangle (33.0f, 18.0f, 5.0f, 14.0f, 2.5f);
            hand.addRoundedRectangle (29.0f, 29.0f, 15.0f, 11.0f, 4.0f);
            g.fillPath (hand);

            juce::Graphics::ScopedSaveState state (g);
            g.excludeClipRegion ({ 31, 16, 9, 14 });
            g.excludeClipRegion ({ 27, 27, 19, 14 });
            juce::Path pages;
            pages.startNewSubPath (25.5f, 8.0f);
            pages.quadraticTo (15.0f, 3.0f, 3.0f, 6.0f);
            pages.lineTo (3.0f, 28.0f);
            pages.quadraticTo (15.0f, 25.0f, 25.5f, 30.0f);
            pages.quadraticTo (36.0f, 25.0f, 48.0f, 28.0f);
            pages.lineTo (48.0f, 6.0f);
            pages.quadraticTo (36.0f, 3.0f, 25.5f, 8.0f);
            pages.lineTo (25.5f, 30.0f);
            strokePath (g, pages, 2.2f);
            for (float y : { 12.0f, 17.0f, 22.0f })
            {
                g.drawLine (8.0f, y - 1.5f, 21.0f, y + 0.5f, 1.3f);
                g.drawLine (30.0f, y + 0.5f, 43.0f, y - 1.5f, 1.3f);
            }
        }

        void folder (juce::Graphics& g, juce::Colour)
        {
            juce::Path p;
            p.startNewSubPath (4.0f, 33.0f);
            p.lineTo (4.0f, 8.0f);
            p.lineTo (15.0f, 8.0f);
            p.lineTo (18.5f, 12.0f);
            p.lineTo (33.0f, 12.0f);
            p.lineTo (33.0f, 17.0f);
            strokePath (g, p, 3.0f);
            juce::Path front;
            front.startNewSubPath (4.0f, 33.0f);
            front.lineTo (10.0f, 17.0f);
            front.lineTo (37.0f, 17.0f);
            front.lineTo (31.0f, 33.0f);
            front.closeSubPath();
            strokePath (g, front, 3.0f);
        }

        void listWithArrow (juce::Graphics& g, juce::Colour)
        {
            for (float y : { 7.0f, 14.5f, 22.0f })
                g.drawLine (5.0f, y, 35.0f, y, 3.0f);
            juce::Path arrow;
            arrow.addTriangle (12.0f, 28.0f, 28.0f, 28.0f, 20.0f, 37.0f);
            g.fillPath (arrow);
        }

        void chevron (juce::Graphics& g, bool pointsLeft)
        {
            juce::Path p;
            const float tip = pointsLeft ? 7.0f : 19.0f, back = pointsLeft ? 19.0f : 7.0f;
            p.startNewSubPath (back, 7.5f);
            p.lineTo (tip, 20.5f);
            p.lineTo (back, 33.5f);
            strokePath (g, p, 4.5f);
        }

        void floppy (juce::Graphics& g, juce::Colour)
        {
            juce::Path body;
            body.startNewSubPath (5.0f, 5.0f);
            body.lineTo (30.0f, 5.0f);
            body.lineTo (36.0f, 11.0f);
            body.lineTo (36.0f, 36.0f);
            body.lineTo (5.0f, 36.0f);
            body.closeSubPath();
            strokePath (g, body, 3.0f);
            g.fillRect (12.0f, 5.0f, 15.0f, 9.0f);
            g.drawRoundedRectangle (10.5f, 21.0f, 20.0f, 15.0f, 1.5f, 2.4f);
        }

        void bin (juce::Graphics& g, juce::Colour)
        {
            g.drawLine (3.0f, 8.5f, 29.0f, 8.5f, 3.0f);
            g.drawRoundedRectangle (12.0f, 3.5f, 8.0f, 5.0f, 1.5f, 2.2f);
            juce::Path body;
            body.startNewSubPath (6.5f, 12.0f);
            body.lineTo (25.5f, 12.0f);
            body.lineTo (23.5f, 37.5f);
            body.lineTo (8.5f, 37.5f);
            body.closeSubPath();
            strokePath (g, body, 2.8f);
            for (float x : { 12.0f, 16.0f, 20.0f })
                g.drawLine (x, 16.5f, x, 33.0f, 1.8f);
        }

        void letter (juce::Graphics& g, const juce::String& text, juce::Rectangle<float> inkBox)
        {
            drawTextIntoBox (g, text, printFont (40.0f), inkBox);
        }

        void crossingArrows (juce::Graphics& g, juce::Colour)
        {
            juce::Path a, b;
            a.startNewSubPath (3.0f, 9.0f);
            a.lineTo (9.0f, 9.0f);
            a.lineTo (23.0f, 24.0f);
            a.lineTo (28.0f, 24.0f);
            b.startNewSubPath (3.0f, 24.0f);
            b.lineTo (9.0f, 24.0f);
            b.lineTo (23.0f, 9.0f);
            b.lineTo (28.0f, 9.0f);
            strokePath (g, a, 2.8f);
            strokePath (g, b, 2.8f);
            juce::Path heads;
            heads.addTriangle (27.0f, 3.5f, 34.0f, 9.0f, 27.0f, 14.5f);
            heads.addTriangle (27.0f, 18.5f, 34.0f, 24.0f, 27.0f, 29.5f);
            g.fillPath (heads);
        }

        //==============================================================================
        juce::Image renderBarBackground()
        {
            juce::Image image (juce::Image::RGB, 2326, 98, true);
            juce::Graphics g (image);
            g.fillAll (juce::Colours::black);

            g.setColour (colours::olive);
            g.drawRoundedRectangle ({ 89.0f, 14.0f, 200.0f, 68.0f }, 14.0f, 2.0f);

            auto panel = [&g] (juce::Rectangle<float> area)
            {
                g.setGradientFill (juce::ColourGradient (colours::olive.brighter (0.12f), 0.0f, area.getY(),
                                                         colours::olive.darker (0.18f), 0.0f, area.getBottom(), false));
                g.fillRoundedRectangle (area, 14.0f);
                g.setColour (juce::Colours::white.withAlpha (0.12f));
                g.drawLine (area.getX() + 14.0f, area.getY() + 1.0f, area.getRight() - 14.0f, area.getY() + 1.0f, 1.0f);
            };
            panel ({ 594.0f, 14.0f, 1135.0f, 68.0f });
            panel ({ 1745.0f, 14.0f, 161.0f, 68.0f });

            // The label's field, recessed into the panel.
            g.setColour (juce::Colours::black.withAlpha (0.5f));
            g.fillRoundedRectangle ({ 847.0f, 23.0f, 631.0f, 56.0f }, 9.0f);
            g.setColour (colours::barField);
            g.fillRoundedRectangle ({ 849.0f, 25.0f, 627.0f, 52.0f }, 8.0f);

            for (float x : { 687.0f, 774.5f, 1554.0f, 1642.5f, 1800.0f, 1855.0f })
            {
                g.setColour (juce::Colour (44, 42, 30));
                g.fillRect (juce::Rectangle<float> (x - 1.0f, 24.0f, 2.0f, 48.0f));
                g.setColour (juce::Colours::white.withAlpha (0.1f));
                g.fillRect (juce::Rectangle<float> (x + 1.0f, 24.0f, 1.0f, 48.0f));
            }
            return image;
        }

        struct ButtonArt { const char* normal; const char* second; int width, height; juce::Colour idle, active; Glyph glyph; };

        std::vector<ButtonArt> buttonArt()
        {
            const auto black = juce::Colours::black;
            const auto green = colours::green;
            return {
                { "temp6",  "temp14", 22, 22, colours::violet, colours::olive, power },
                { "temp38", "temp35", 41, 41, colours::olive, green, mark },
                { "temp1",  "temp9",  16, 41, colours::olive, green, info },
                { "temp24", "temp12", 51, 41, colours::olive, green, bookWithHand },
                { "temp17", "temp8",  40, 41, black, green, folder },
                { "temp13", "temp39", 40, 41, black, green, listWithArrow },
                { "temp41", "temp28", 26, 41, black, green, [] (juce::Graphics& g, juce::Colour) { chevron (g, true); } },
                { "temp29", "temp25", 26, 41, black, green, [] (juce::Graphics& g, juce::Colour) { chevron (g, false); } },
                { "temp40", "temp26", 41, 41, black, green, floppy },
                { "temp33", "temp11", 32, 41, black, green, bin },
                { "temp32", "temp30", 34, 33, black, green, [] (juce::Graphics& g, juce::Colour) { letter (g, "A", { 3.0f, 3.0f, 28.0f, 27.0f }); } },
                { "temp16", "temp4",  35, 33, black, green, crossingArrows },
                { "temp27", "temp10", 24, 33, black, green, [] (juce::Graphics& g, juce::Colour) { letter (g, "B", { 3.0f, 3.0f, 18.0f, 27.0f }); } },
            };
        }
    }

    std::vector<Picture> barPictures()
    {
        std::vector<Picture> pictures { { "temp15.png", [] { return renderBarBackground(); } } };
        for (const auto& art : buttonArt())
        {
            pictures.push_back ({ juce::String (art.normal) + ".png", [art] { return renderGlyph (art.width, art.height, art.idle, art.glyph); } });
            pictures.push_back ({ juce::String (art.second) + ".png", [art] { return renderGlyph (art.width, art.height, art.active, art.glyph); } });
        }
        return pictures;
    }

    juce::Image renderBarMock (const juce::File& directory)
    {
        // Button bounds in design units, as the bar lays them out.
        static const juce::Rectangle<int> bounds[] = {
            { 20, 28, 46, 46 }, { 102, 28, 46, 46 }, { 158, 25, 45, 45 }, { 210, 25, 56, 56 }, { 620, 26, 44, 44 },
            { 710, 26, 44, 44 }, { 795, 29, 40, 40 }, { 1490, 29, 40, 40 }, { 1578, 29, 40, 40 }, { 1667, 26, 44, 44 },
            { 1755, 32, 35, 35 }, { 1810, 30, 35, 35 }, { 1865, 32, 35, 35 } };
        auto image = juce::ImageFileFormat::loadFrom (directory.getChildFile ("temp15.png")).convertedToFormat (juce::Image::ARGB);
        juce::Graphics g (image);
        int index = 0;
        for (const auto& art : buttonArt())
        {
            const auto name = juce::String (index == 10 ? art.second : art.normal) + ".png";   // slot A lit
            g.drawImage (juce::ImageFileFormat::loadFrom (directory.getChildFile (name)), bounds[index].toFloat(),
                         juce::RectanglePlacement::centred);
            ++index;
        }
        g.setColour (colours::segmentLit);
        g.setFont (segmentFont14 (30.0f));
        g.drawText ("00.  MARLINET BY QUENWICK", juce::Rectangle<int> (865, 31, 600, 40), juce::Justification::centredLeft);
        return image;
    }
}
