#pragma once

#include <juce_graphics/juce_graphics.h>

#include <functional>
#include <vector>

/** Shared pieces of the artwork tool: palette, fonts, textures and the knob geometry that
    both the filmstrips and the background's tick rings are drawn from. */
namespace art
{
    /** One picture the tool writes: file name and its painter. */
    struct Picture
    {
        juce::String fileName;
        std::function<juce::Image()> render;
    };

    //==============================================================================
    namespace colours
    {
        inline const juce::Colour olive     { 114, 111, 81 };
        inline const juce::Colour violet    { 101, 68, 175 };
        inline const juce::Colour green     { 0, 255, 0 };
        inline const juce::Colour barField  { 22, 22, 22 };
        inline const juce::Colour caption   { 214, 212, 202 };   // engraved panel print, warm white
        inline const juce::Colour accent    { 228, 58, 36 };     // section title underline, speed knob
        inline const juce::Colour segmentLit { 255, 0, 0 };
        inline const juce::Colour segmentGhost { 58, 10, 10 };   // unlit segments: just visible
    }

    //==============================================================================
    /** The knob and its ring share one geometry, expressed in the 135 x 135 design-unit
        bounds that every knob gets in the editor. */
    namespace knob
    {
        inline constexpr int frameWidth = 130, frameHeight = 125, frameCount = 120;
        inline constexpr int stripHeight = 14999;                 // the last frame lacks its final row
        inline constexpr float boundsSize = 135.0f;
        inline constexpr float centre = boundsSize * 0.5f;
        inline constexpr float startDegrees = -135.0f;            // clockwise from twelve o'clock
        inline constexpr float endDegrees = 135.0f;
        inline constexpr float skirtRadius = 49.0f;
        inline constexpr float capRadius = 38.0f;
        inline constexpr float tickInner = 55.0f, tickMajorOuter = 65.0f, tickMinorOuter = 61.0f;
        inline constexpr int majorTicks = 11;

        /** The pointer angle of a frame: the look-and-feel shows frame k from position k / 119,
            and only the full position reaches the last frame. */
        inline float frameRadians (int frame)
        {
            const auto proportion = (float) frame / (float) (frameCount - 1);
            return juce::degreesToRadians (startDegrees + proportion * (endDegrees - startDegrees));
        }

        /** A point at the given angle (radians, clockwise from twelve) and radius around a centre. */
        inline juce::Point<float> polar (juce::Point<float> c, float radians, float radius)
        {
            return { c.x + radius * std::sin (radians), c.y - radius * std::cos (radians) };
        }
    }

    //==============================================================================
    /** The segment typefaces shipped in resources/fonts; loaded once by main. */
    struct Fonts
    {
        juce::Typeface::Ptr dseg7, dseg14;
        bool load (const juce::File& fontDirectory);
    };
    const Fonts& fonts();
    bool loadFonts (const juce::File& fontDirectory);

    /** The panel's print face: the platform sans serif, bold, slightly widened. */
    juce::Font printFont (float height, bool bold = true);
    juce::Font segmentFont7 (float height);
    juce::Font segmentFont14 (float height);

    /** Draws text spaced out by `tracking` (in units) centred on the area. */
    void drawTrackedText (juce::Graphics&, const juce::String&, juce::Rectangle<float> area,
                          const juce::Font&, float tracking, juce::Justification);

    /** Text whose ink is fitted exactly into the given box. */
    void drawTextIntoBox (juce::Graphics&, const juce::String&, const juce::Font&,
                          juce::Rectangle<float> inkBox);

    /** Fills a rectangle of an image with dark brushed metal: fine horizontal grain. */
    void fillBrushedMetal (juce::Image&, juce::Rectangle<int>, juce::Colour base, int seed);

    /** A recessed, rounded hole with a soft bevel: dark inside, light lower lip. */
    void drawRecess (juce::Graphics&, juce::Rectangle<float>, float corner, juce::Colour inside);

    /** A panel screw. */
    void drawScrew (juce::Graphics&, juce::Point<float> centre, float radius, float slotRadians);

    /** Maker's circular mark: a ring with a tail through its lower right, like a "Q". */
    void drawMakerMark (juce::Graphics&, juce::Rectangle<float> area, juce::Colour);

    //==============================================================================
    /** Picture painters, one group per area. */
    std::vector<Picture> panelPictures();
    std::vector<Picture> knobPictures();
    std::vector<Picture> barPictures();
    std::vector<Picture> infoPictures (const juce::File& pictureDirectory);

    juce::Image renderBackground();
    juce::Image renderKnobStrip (bool isSpeedKnob);
    juce::Image renderMock (const juce::File& pictureDirectory);
    juce::Image renderBarMock (const juce::File& pictureDirectory);

    /** The maker's home page host, printed on the information card. */
    juce::String homePage();

    /** Where the editor puts its knobs, in design units of the body. */
    struct KnobPlace { juce::Rectangle<int> bounds; const char* caption; bool isSpeed; int section; };
    const std::vector<KnobPlace>& knobPlaces();
}
