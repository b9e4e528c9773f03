#include "presets/embeddedResources.h"

#include "MarlinetArtwork.h"

namespace quenwick
{
juce::Image loadPicture (const char* resourceName)
{
    int size = 0;
    const auto* data = MarlinetArtwork::getNamedResource (resourceName, size);

    if (data == nullptr || size <= 0)
        return {};

    return juce::ImageCache::getFromMemory (data, size);
}

// Faces are made by their users and never kept in statics: a typeface that outlived
// the GUI shutdown at unload would be freed after the font engine it belongs to.
juce::Typeface::Ptr createSevenSegmentTypeface()
{
    return juce::Typeface::createSystemTypefaceFor (MarlinetArtwork::DSEG7ClassicBold_ttf,
                                                    (size_t) MarlinetArtwork::DSEG7ClassicBold_ttfSize);
}

juce::Typeface::Ptr createFourteenSegmentTypeface()
{
    return juce::Typeface::createSystemTypefaceFor (MarlinetArtwork::DSEG14ClassicBold_ttf,
                                                    (size_t) MarlinetArtwork::DSEG14ClassicBold_ttfSize);
}
}
