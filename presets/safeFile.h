#pragma once

#include <juce_core/juce_core.h>

namespace quenwick
{
/** Replaces the target's content with the bytes through a hidden temporary file beside it:
    the write and flush are checked and the bytes read back before a rename puts them in
    place, so readers see the old file or the new one, never a part, and a failed write
    leaves the old file whole. Refuses an empty block (a preset or cache is never empty)
    and a target that is a directory. */
bool replaceFileContent (const juce::File& target, const void* data, size_t size);
}
