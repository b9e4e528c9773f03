#pragma once

#include "presets/embeddedResources.h"

/** Resource names of the editor's embedded pictures, for quenwick::loadPicture. */
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
}
