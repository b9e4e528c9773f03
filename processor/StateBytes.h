#pragma once

#include <juce_data_structures/juce_data_structures.h>

/** True when JUCE's binary tree reader can read these bytes in bounded time and memory.

    juce::ValueTree::readFromStream trusts the counts it reads: it reserves room for a
    child count before reading any child, loops as often as a property or array count
    says even past the end of the data, allocates a binary property's stated size, and
    recurses without limit. This walks the same format first and refuses bytes whose
    counts or sizes exceed what remains, or that nest deeper than any state we write.
*/
bool isBoundedValueTreeData (const void* data, size_t size);

/** Makes a decoded tree safe to hand to the parameter state: a child that names a parameter
    already named by an earlier child is dropped (the first one counts), and every "value"
    that is not a finite number is removed, so that its parameter falls back to its default
    (JUCE's range clamp lets such values through to the audio and the host). */
void tidyParameterChildren (juce::ValueTree& state);

/** What a block of state bytes holds: JUCE's legacy "VC2!" XML container, a binary
    tree, or neither (both empty). */
struct DecodedState
{
    std::unique_ptr<juce::XmlElement> legacy;
    juce::ValueTree tree;
};

/** Decodes state bytes as a host or a preset file hands them over. Hostile bytes give
    an empty result; a binary tree comes back tidied (see tidyParameterChildren). */
DecodedState decodeState (const void* data, int sizeInBytes);
