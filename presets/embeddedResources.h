#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The pictures and fonts compiled into the bundle, reached by resource name. */
namespace quenwick
{
/** The embedded picture of that resource name (such as "temp15_png"), decoded once through
    the image cache; a null image when the resource is missing or does not decode. */
juce::Image loadPicture (const char* resourceName);

/** A new seven-segment face (digits only). */
juce::Typeface::Ptr createSevenSegmentTypeface();

/** A new fourteen-segment face: digits, letters and "|". */
juce::Typeface::Ptr createFourteenSegmentTypeface();
}
