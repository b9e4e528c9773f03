#include "presets/safeXml.h"

namespace quenwick
{
std::unique_ptr<juce::XmlElement> parseXmlSafely (const juce::String& text)
{
    if (text.containsIgnoreCase ("<!DOCTYPE") || text.containsIgnoreCase ("<!ENTITY"))
        return nullptr;

    return juce::XmlDocument (text).getDocumentElement();
}
}
