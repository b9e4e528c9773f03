#pragma once

#include <juce_core/juce_core.h>

namespace quenwick
{
/** Parses XML text, refusing any document type declaration (JUCE's parser expands
    entities recursively and a self-referencing entity would exhaust the stack) and any
    text that is not valid UTF-8 (the parser would read past its end) and text nested
    deeper than any document we write (the parser recurses once per level). */
std::unique_ptr<juce::XmlElement> parseXmlSafely (const juce::String& text);

/** False for text that parseXmlSafely refuses before parsing. */
bool isSafeXmlText (const juce::String& text);
}
