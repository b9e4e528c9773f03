#include "presets/safeXml.h"

#include <cstring>
#include <string>

namespace
{
    /** Deeper than any document we read; JUCE's parser recurses once per level. */
    constexpr int maxNesting = 256;

    /** The deepest element nesting of some XML text, counting conservatively (quoted attribute
        values, comments, CDATA and processing instructions are skipped). Used to refuse text
        that would drive JUCE's recursive parser off the stack. */
    int xmlNestingDepth (const juce::String& text)
    {
        const std::string s (text.toRawUTF8());
        const auto n = s.size();
        int depth = 0, deepest = 0;

        auto skipPast = [&] (size_t from, const char* marker) -> size_t
        {
            const auto at = s.find (marker, from);
            return at == std::string::npos ? n : at + std::strlen (marker);
        };

        for (size_t i = 0; i < n;)
        {
            if (s[i] != '<')
            {
                ++i;
                continue;
            }

            if (s.compare (i, 4, "<!--") == 0)            { i = skipPast (i + 4, "-->"); continue; }
            if (s.compare (i, 9, "<![CDATA[") == 0)       { i = skipPast (i + 9, "]]>"); continue; }
            if (s.compare (i, 2, "<?") == 0)              { i = skipPast (i + 2, "?>"); continue; }
            // Never below zero, so stray end tags cannot hide nesting that follows them.
            if (s.compare (i, 2, "</") == 0)              { depth = juce::jmax (0, depth - 1); i = skipPast (i + 2, ">"); continue; }

            // A start tag: walk to its end, stepping over quoted values, which may hold '>' or "/>".
            size_t j = i + 1;
            char last = 0;

            while (j < n && s[j] != '>')
            {
                if (s[j] == '"' || s[j] == '\'')
                {
                    const auto close = s.find (s[j], j + 1);
                    j = close == std::string::npos ? n : close + 1;
                    last = 0;
                    continue;
                }

                last = s[j];
                ++j;
            }

            if (last != '/')
                deepest = juce::jmax (deepest, ++depth);

            i = j + 1;
        }

        return deepest;
    }

}

namespace quenwick
{
bool isSafeXmlText (const juce::String& text)
{
    if (text.containsIgnoreCase ("<!DOCTYPE") || text.containsIgnoreCase ("<!ENTITY"))
        return false;

    // JUCE's parser steps over the terminator of a malformed UTF-8 sequence and reads
    // past the end of the text.
    const auto* raw = text.toRawUTF8();

    if (! juce::CharPointer_UTF8::isValidString (raw, (int) std::strlen (raw)))
        return false;

    return xmlNestingDepth (text) <= maxNesting;
}

std::unique_ptr<juce::XmlElement> parseXmlSafely (const juce::String& text)
{
    if (! isSafeXmlText (text))
        return nullptr;

    return juce::XmlDocument (text).getDocumentElement();
}
}
