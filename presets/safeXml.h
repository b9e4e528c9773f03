#pragma once

#include <juce_core/juce_core.h>

namespace quenwick
{
/** True when the bytes are well-formed UTF-8: no overlong forms, no surrogates, nothing
    beyond U+10FFFF, no truncated sequence. JUCE's own check lets overlong forms through,
    and its strings then count and decode such bytes differently from how they store them. */
bool isWellFormedUtf8 (const char* data, size_t size);

/** False for UTF-8 text (up to its first zero byte) that JUCE's XML reader cannot read
    safely in bounded time: text that is not well-formed UTF-8 (the reader steps past the
    end of a malformed sequence), a document type declaration (entities expand recursively),
    a processing instruction other than the leading XML declaration (the reader loops for
    ever on one followed by text inside an element), an '&' that starts no complete
    reference (an unterminated hexadecimal one reads past the end of the text, an unknown
    one is parsed again as markup) and nesting deeper than any document we write (the
    reader recurses once per level). */
bool isSafeXmlText (const char* utf8, size_t size);

/** Parses the text when isSafeXmlText allows it; nothing otherwise. With startTagOnly, only
    the root element's start tag is read: its name and attributes, no children, and nothing
    after it is checked for well-formedness. */
std::unique_ptr<juce::XmlElement> parseXmlSafely (const char* utf8, size_t size, bool startTagOnly = false);
}
