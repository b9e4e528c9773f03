#include "ArtCommon.h"

namespace art
{
    namespace
    {
        constexpr int cardWidth = 1146, cardHeight = 1360;

        // The window shows the card at 0.4 and draws the version number from window x 357,
        // centred on window y 87; the caption before it spans window x 301 to 355, y 83 to 90.
        const juce::Rectangle<float> versionCaptionInk { 301.0f / 0.4f, 83.0f / 0.4f, 54.0f / 0.4f, 7.0f / 0.4f };

        void drawParagraph (juce::Graphics& g, const juce::String& text, juce::Rectangle<float> area, float height,
                            juce::Colour colour)
        {
            juce::AttributedString paragraph;
            paragraph.append (text, printFont (height, false), colour);
            paragraph.setJustification (juce::Justification::topLeft);
            paragraph.setLineSpacing (height * 0.35f);
            paragraph.draw (g, area);
        }

        juce::Image renderInfo (const juce::File& directory)
        {
            juce::Image image (juce::Image::ARGB, cardWidth, cardHeight, true);
            juce::Graphics g (image);
            const auto card = image.getBounds().toFloat().reduced (4.0f);
            g.setGradientFill (juce::ColourGradient (juce::Colour (30, 30, 33), 0.0f, 0.0f,
                                                     juce::Colour (8, 8, 9), 0.0f, (float) cardHeight, false));
            g.fillRoundedRectangle (card, 48.0f);
            g.setColour (colours::olive);
            g.drawRoundedRectangle (card.reduced (2.0f), 46.0f, 3.0f);

            // Header: mark, product name, line.
            drawMakerMark (g, { 70.0f, 64.0f, 116.0f, 116.0f }, colours::olive);
            g.setColour (colours::caption);
            drawTrackedText (g, "MARLINET RACK", { 216.0f, 70.0f, 880.0f, 70.0f }, printFont (66.0f), 6.0f, juce::Justification::centredLeft);
            g.setColour (colours::olive.brighter (0.3f));
            drawTrackedText (g, juce::String (juce::CharPointer_UTF8 ("DUAL TREMOLO  \xc2\xb7  VST3")), { 220.0f, 146.0f, 600.0f, 34.0f }, printFont (28.0f, false), 4.0f,
                             juce::Justification::centredLeft);
            g.setColour (juce::Colour (0xffd3d3d3));
            drawTextIntoBox (g, "VERSION", printFont (30.0f), versionCaptionInk);
            g.setColour (colours::accent);
            g.fillRect (70.0f, 250.0f, 1006.0f, 3.0f);

            // The product itself: the bar over the panel, with knobs and switches in place.
            const auto bar = renderBarMock (directory);
            const auto body = renderMock (directory);
            const float scale = 1006.0f / (float) body.getWidth();
            const auto shot = juce::Rectangle<float> (70.0f, 290.0f, 1006.0f, (float) (bar.getHeight() + body.getHeight()) * scale);
            g.setColour (juce::Colours::black);
            g.fillRect (shot.expanded (6.0f));
            g.drawImage (bar, shot.withHeight ((float) bar.getHeight() * scale));
            g.drawImage (body, shot.withTrimmedTop ((float) bar.getHeight() * scale));

            const auto text = juce::Colour (200, 198, 188);
            auto y = shot.getBottom() + 70.0f;
            drawParagraph (g, "Two tremolo sections, TURBO and SLOWMO, each with its own speed, depth, volume and pan. "
                              "Either section can follow the host's tempo, and LINK lets SLOWMO move with TURBO.",
                           { 70.0f, y, 1006.0f, 140.0f }, 32.0f, text);

            y += 190.0f;
            g.setColour (colours::olive.brighter (0.3f));
            drawTrackedText (g, "CREDITS", { 70.0f, y, 400.0f, 34.0f }, printFont (28.0f), 5.0f, juce::Justification::centredLeft);
            const char* credits[] = { "Concept, sound and software  \xe2\x80\x94  Quenwick",
                                      "Built with the JUCE framework",
                                      "Segment displays: DSEG fonts by Keshikan, SIL Open Font License 1.1" };
            g.setFont (printFont (30.0f, false));
            g.setColour (text);
            for (auto* line : credits)
            {
                y += 50.0f;
                g.drawText (juce::CharPointer_UTF8 (line), juce::Rectangle<float> (70.0f, y, 1006.0f, 40.0f), juce::Justification::centredLeft);
            }

            // Maker's logo and how to reach the maker.
            y += 140.0f;
            drawMakerMark (g, { 70.0f, y, 96.0f, 96.0f }, colours::olive);
            g.setColour (colours::caption);
            drawTrackedText (g, "QUENWICK", { 190.0f, y + 6.0f, 600.0f, 56.0f }, printFont (52.0f), 5.0f, juce::Justification::centredLeft);
            g.setColour (text);
            g.setFont (printFont (30.0f, false));
            g.drawText (homePage(), juce::Rectangle<float> (192.0f, y + 60.0f, 800.0f, 40.0f), juce::Justification::centredLeft);
            g.drawText ("Manuals: " + homePage() + "/pages/plug-in-manuals", juce::Rectangle<float> (70.0f, y + 150.0f, 1006.0f, 40.0f),
                        juce::Justification::centredLeft);
            g.setColour (text.withAlpha (0.6f));
            g.setFont (printFont (24.0f, false));
            g.drawText (juce::String (juce::CharPointer_UTF8 ("\xc2\xa9 Quenwick. All rights reserved.")),
                        juce::Rectangle<float> (70.0f, (float) cardHeight - 110.0f, 1006.0f, 36.0f), juce::Justification::centredLeft);
            return image;
        }
    }

    std::vector<Picture> infoPictures (const juce::File& directory)
    {
        return { { "temp34.png", [directory] { return renderInfo (directory); } } };
    }
}
