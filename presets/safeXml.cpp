#include "presets/safeXml.h"

#include <cstring>

namespace quenwick
{
std::unique_ptr<juce::XmlElement> parseXmlSafely (const juce::String& text)
{
    if (text.containsIgnoreCase ("<!DOCTYPE") || text.containsIgnoreCase ("<!ENTITY"))
        return nullptr;

    // JUCE's parser steps over the terminator of a malformed UTF-8 sequence and reads
    // past the end of the text.
    const auto* raw = text.toRawUTF8();

    if (! juce::CharPointer_UTF8::isValidString (raw, (int) std::strlen (raw)))
        return nullptr;

    return juce::XmlDocument (text).getDocumentElement();
}
}
