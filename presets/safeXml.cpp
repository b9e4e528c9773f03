#include "presets/safeXml.h"

#include <cstring>
#include <string_view>

namespace
{
    using Text = std::string_view;

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

    /** The characters JUCE's reader takes into a name below 128; above, it asks the C
        library's locale, so no such character is allowed in a name here. */
    bool isNameChar (char c)
    {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
            || c == '_' || c == '-' || c == ':' || c == '.';
    }

    /** Walks the markup as JUCE's reader does and finds how deep its elements nest. The
        reader ends a start tag at the first character it cannot take as part of one (a
        quote that follows no '=', a stray letter) and reads on as content; those texts,
        and any other markup that is not plain XML, are refused here rather than guessed
        at, so that on every text accepted the walk and the reader agree on each element. */
    class MarkupWalk
    {
    public:
        explicit MarkupWalk (Text text) : s (text) {}

        /** False for markup outside plain XML, or nesting deeper than the bound. */
        bool run()
        {
            skipDeclaration();

            // Between markup lies text, where quotes and '>' are plain characters.
            while ((at = s.find ('<', at)) != Text::npos)
                if (! markup())
                    return false;

            return true;
        }

    private:
        /** The leading XML declaration is the one processing instruction allowed: the
            reader loops for ever on one followed by text inside an element. */
        void skipDeclaration()
        {
            const auto first = s.find_first_not_of (" \t\r\n");

            if (first != Text::npos && s.compare (first, 5, "<?xml") == 0)
                skipPast (first + 5, "?>");
        }

        /** Moves past the next marker, or to the end; false when there is none. The reader
            searches again from every open element for an end tag or a comment that never
            ends, so such text would cost it the nesting depth times its length. */
        bool skipPast (size_t from, Text marker)
        {
            const auto found = s.find (marker, from);
            at = found == Text::npos ? s.size() : found + marker.size();
            return found != Text::npos;
        }

        bool markup()
        {
            if (s.compare (at, 4, "<!--") == 0)
                return skipPast (at + 4, "-->");

            if (s.compare (at, 9, "<![CDATA[") == 0)
            {
                skipPast (at + 9, "]]>");   // the reader stops at the end: unterminated costs nothing
                return true;
            }

            if (s.compare (at, 2, "</") == 0)
            {
                // At the top the reader stops; a stray end tag hides nothing that follows it.
                depth = juce::jmax (0, depth - 1);
                return skipPast (at + 2, ">");
            }

            // Anything else is a start tag, or markup the reader mistakes for one: a document
            // type (its entities expand recursively), a processing instruction, a bare '<'.
            return at + 1 < s.size() && isNameChar (s[at + 1]) && startTag();
        }

        bool startTag()
        {
            if (++elements > quenwick::maxXmlElements)
                return false;

            skipName (at + 1);

            for (;;)
            {
                if (! skipSpace())
                    return false;

                if (s.compare (at, 2, "/>") == 0)
                {
                    at += 2;
                    return true;
                }

                if (at < s.size() && s[at] == '>')
                {
                    ++at;
                    return ++depth <= quenwick::maxXmlNesting;
                }

                if (at >= s.size() || ! isNameChar (s[at]) || ! attribute())
                    return false;
            }
        }

        /** name = "value" or name = 'value', as the reader takes it. */
        bool attribute()
        {
            skipName (at);

            if (! skipSpace() || at >= s.size() || s[at] != '=')
                return false;

            ++at;

            if (! skipSpace() || at >= s.size() || (s[at] != '"' && s[at] != '\''))
                return false;

            skipPast (at + 1, Text (&s[at], 1));   // unterminated, the reader reads to the end
            return true;
        }

        void skipName (size_t from)
        {
            for (at = from; at < s.size() && isNameChar (s[at]);)
                ++at;
        }

        /** What the reader skips inside a tag: white space and comments. Other white space
            depends on the C library's locale there, so it is not skipped and so refused. */
        bool skipSpace()
        {
            for (;;)
            {
                if (at < s.size() && (s[at] == ' ' || s[at] == '\t' || s[at] == '\r' || s[at] == '\n'))
                    ++at;
                else if (s.compare (at, 4, "<!--") == 0)
                {
                    if (! skipPast (at + 4, "-->"))
                        return false;
                }
                else
                    return true;
            }
        }

        Text s;
        size_t at = 0;
        int depth = 0, elements = 0;
    };

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

    for (auto at = s.find ('&'); at != Text::npos; at = s.find ('&', at + 1))
        if (! isCompleteReference (s, at))
            return false;

    return MarkupWalk (s).run();
}

std::unique_ptr<juce::XmlElement> parseXmlSafely (const char* utf8, size_t size, bool startTagOnly)
{
    if (! isSafeXmlText (utf8, size))
        return nullptr;

    const auto s = textOf (utf8, size);
    return juce::XmlDocument (juce::String::fromUTF8 (s.data(), (int) s.size())).getDocumentElement (startTagOnly);
}
}
