#pragma once

#include <juce_core/juce_core.h>

namespace quenwick
{
/** True when the bytes are well-formed UTF-8: no overlong forms, no surrogates, nothing
    beyond U+10FFFF, no truncated sequence. JUCE's own check lets overlong forms through,
    and its strings then count and decode such bytes differently from how they store them. */
bool isWellFormedUtf8 (const char* data, size_t size);

/** The deepest element nesting accepted. JUCE's reader recurses once per level, reading and
    again freeing the tree: about 320 bytes of stack a level here, so the deepest text accepted
    takes some 46 KiB, a tenth of the 512 KiB a host's thread may have (bench/XmlStackBench).
    Deeper than any document we read: files.xml nests the scan's 64 folders and two levels more. */
inline constexpr int maxXmlNesting = 128;

/** The most elements accepted: JUCE's reader builds every one of them, some 60 bytes each,
    even when only the root's start tag is wanted. More than any document we read: files.xml
    lists at most the scan's 150,000 entries and seven elements around them. */
inline constexpr int maxXmlElements = 200000;

/** False for UTF-8 text (up to its first zero byte) that JUCE's XML reader cannot read
    safely in bounded time and stack: text that is not well-formed UTF-8 (the reader steps
    past the end of a malformed sequence), an '&' that starts no complete reference (an
    unterminated hexadecimal one reads past the end of the text, an unknown one is parsed
    again as markup), markup outside plain XML (a document type declaration, whose entities
    expand recursively; a processing instruction other than the leading XML declaration, on
    which the reader can loop for ever; a start tag the reader would end early at a stray
    character and read on as content; a name with characters beyond ASCII, which the reader
    splits by the C library's locale; an end tag or a comment that never ends, which the
    reader searches for again from every open element), nesting deeper than maxXmlNesting and
    more elements than maxXmlElements. */
bool isSafeXmlText (const char* utf8, size_t size);

/** Parses the text when isSafeXmlText allows it; nothing otherwise. With startTagOnly, only
    the root element's start tag is read: its name and attributes, no children, and nothing
    after it is checked for well-formedness. */
std::unique_ptr<juce::XmlElement> parseXmlSafely (const char* utf8, size_t size, bool startTagOnly = false);
}
