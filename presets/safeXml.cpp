#include "presets/safeXml.h"

#include <cstring>
#include <string_view>

namespace
{
    /** Deeper than any document we read; JUCE's parser recurses once per level. */
    constexpr int maxNesting = 256;

    using Text = std::string_view;

    size_t skipPast (Text s, size_t from, Text marker)
    {
        const auto at = s.find (marker, from);
        return at == Text::npos ? s.size() : at + marker.size();
    }

    bool startsWithIgnoringCase (Text s, size_t at, Text prefix)
    {
        if (s.size() - at < prefix.size())
            return false;

        for (size_t i = 0; i < prefix.size(); ++i)
        {
            const char c = s[at + i];

            if ((c >= 'A' && c <= 'Z' ? (char) (c - 'A' + 'a') : c) != prefix[i])
                return false;
        }

        return true;
    }

    /** True when the '&' at s[at] starts a reference JUCE's reader resolves by itself and
        that ends with ';': one of the five predefined entities or a character reference. */
    bool isCompleteReference (Text s, size_t at)
    {
        for (Text entity : { "&amp;", "&lt;", "&gt;", "&quot;", "&apos;" })
            if (startsWithIgnoringCase (s, at, entity))
                return true;

        size_t i = at + 1;

        if (i >= s.size() || s[i++] != '#')
            return false;

        const bool hex = i < s.size() && (s[i] == 'x' || s[i] == 'X');
        i += hex ? 1 : 0;
        const auto firstDigit = i;

        while (i < s.size() && (hex ? juce::CharacterFunctions::getHexDigitValue ((juce::juce_wchar) s[i]) >= 0
                                    : (s[i] >= '0' && s[i] <= '9')))
            ++i;

        return i > firstDigit && i < s.size() && s[i] == ';';
    }

    /** The deepest element nesting of the text, counting conservatively (quoted attribute
        values, comments and CDATA are skipped). */
    int nestingDepth (Text s)
    {
        const auto n = s.size();
        int depth = 0, deepest = 0;

        for (size_t i = 0; i < n;)
        {
            if (s[i] != '<')
            {
                ++i;
                continue;
            }

            if (s.compare (i, 4, "<!--") == 0)            { i = skipPast (s, i + 4, "-->"); continue; }
            if (s.compare (i, 9, "<![CDATA[") == 0)       { i = skipPast (s, i + 9, "]]>"); continue; }
            if (s.compare (i, 2, "<?") == 0)              { i = skipPast (s, i + 2, "?>"); continue; }
            // Never below zero, so stray end tags cannot hide nesting that follows them.
            if (s.compare (i, 2, "</") == 0)              { depth = juce::jmax (0, depth - 1); i = skipPast (s, i + 2, ">"); continue; }

            // A start tag: walk to its end, stepping over quoted values, which may hold '>' or "/>".
            size_t j = i + 1;
            char last = 0;

            while (j < n && s[j] != '>')
            {
                if (s[j] == '"' || s[j] == '\'')
                {
                    const auto close = s.find (s[j], j + 1);
                    j = close == Text::npos ? n : close + 1;
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

    /** The text up to its first zero byte. */
    Text textOf (const char* utf8, size_t size)
    {
        if (utf8 == nullptr)
            return {};

        const auto* end = static_cast<const char*> (std::memchr (utf8, 0, size));
        return { utf8, end != nullptr ? (size_t) (end - utf8) : size };
    }
}

namespace quenwick
{
bool isWellFormedUtf8 (const char* data, size_t size)
{
    const auto* bytes = reinterpret_cast<const unsigned char*> (data);

    for (size_t i = 0; i < size;)
    {
        const auto lead = bytes[i];

        if (lead < 0x80)
        {
            ++i;
            continue;
        }

        // The allowed range of the second byte narrows for the leads that could otherwise
        // spell an overlong form, a surrogate or a code point past U+10FFFF.
        size_t length = 0;
        unsigned char low = 0x80, high = 0xbf;

        if      (lead >= 0xc2 && lead <= 0xdf)   length = 2;
        else if (lead == 0xe0)                   { length = 3; low = 0xa0; }
        else if (lead == 0xed)                   { length = 3; high = 0x9f; }
        else if (lead >= 0xe1 && lead <= 0xef)   length = 3;
        else if (lead == 0xf0)                   { length = 4; low = 0x90; }
        else if (lead == 0xf4)                   { length = 4; high = 0x8f; }
        else if (lead >= 0xf1 && lead <= 0xf3)   length = 4;
        else                                     return false;

        if (size - i < length || bytes[i + 1] < low || bytes[i + 1] > high)
            return false;

        for (size_t k = 2; k < length; ++k)
            if ((bytes[i + k] & 0xc0) != 0x80)
                return false;

        i += length;
    }

    return true;
}

bool isSafeXmlText (const char* utf8, size_t size)
{
    const auto s = textOf (utf8, size);

    if (! isWellFormedUtf8 (s.data(), s.size()))
        return false;

    // The leading XML declaration is the one processing instruction the reader never
    // meets inside an element.
    auto start = s.find_first_not_of (" \t\r\n");
    start = start != Text::npos && s.compare (start, 5, "<?xml") == 0 ? skipPast (s, start + 5, "?>") : 0;

    if (s.find ("<?", start) != Text::npos)
        return false;

    for (auto at = s.find ('&'); at != Text::npos; at = s.find ('&', at + 1))
        if (! isCompleteReference (s, at))
            return false;

    for (auto at = s.find ("<!"); at != Text::npos; at = s.find ("<!", at + 2))
        if (startsWithIgnoringCase (s, at, "<!doctype") || startsWithIgnoringCase (s, at, "<!entity"))
            return false;

    return nestingDepth (s) <= maxNesting;
}

std::unique_ptr<juce::XmlElement> parseXmlSafely (const char* utf8, size_t size, bool startTagOnly)
{
    if (! isSafeXmlText (utf8, size))
        return nullptr;

    const auto s = textOf (utf8, size);
    return juce::XmlDocument (juce::String::fromUTF8 (s.data(), (int) s.size())).getDocumentElement (startTagOnly);
}
}
