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

/** Removes every "value" property of the tree's direct children that is not a finite
    number (NaN or infinity), so that the parameter it names falls back to its default:
    JUCE's range clamp lets such values through to the audio and the host. */
void removeNonFiniteValues (juce::ValueTree& state);

/** What a block of state bytes holds: JUCE's legacy "VC2!" XML container, a binary
    tree, or neither (both empty). */
struct DecodedState
{
    std::unique_ptr<juce::XmlElement> legacy;
    juce::ValueTree tree;
};

/** Decodes state bytes as a host or a preset file hands them over. Hostile bytes give
    an empty result; non-finite parameter values are removed from a binary tree. */
DecodedState decodeState (const void* data, int sizeInBytes);
