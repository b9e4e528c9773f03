#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Names of the editor's embedded pictures and the way they are loaded. */
namespace EditorResources
{
    inline constexpr const char* background = "background_png";
    inline constexpr const char* logoLit    = "logo_lit_png";
    inline constexpr const char* logoUnlit  = "logo_unlit_png";
    inline constexpr const char* linkOff    = "link_off_png";
    inline constexpr const char* linkOn     = "link_on_png";
    inline constexpr const char* syncOff    = "sync_off_png";
    inline constexpr const char* syncOn     = "sync_on_png";
    inline constexpr const char* knobSpeed  = "knob_speed_png";
    inline constexpr const char* knobPlain  = "knob_plain_png";

    /** The embedded picture of that resource name, decoded once through the image cache;
        a null image when the resource is missing or does not decode. */
    juce::Image loadPicture (const char* resourceName);

    /** A new seven-segment face for the digits of the speed readouts. */
    juce::Typeface::Ptr digitsTypeface();

    /** A new fourteen-segment face for letters and the "|" of the beat indicators, which the
        seven-segment face has no glyph for. */
    juce::Typeface::Ptr lettersTypeface();
}
