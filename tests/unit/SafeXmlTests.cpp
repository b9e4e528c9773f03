#include <gtest/gtest.h>

#include "presets/safeXml.h"
#include "tests/support/Helpers.h"
#include "tests/support/StackUse.h"
#include "tests/support/TempHome.h"

namespace
{
    std::string repeated (const char* text, int times)  { return juce::String::repeatedString (text, times).toStdString(); }
}

TEST (SafeXml, RefusesEveryTextTheReaderWouldNestBeyondTheBoundWhateverQuotesCommentsOrStrayCharactersHideIt)
{
    const auto deep = repeated ("<b>", 100000);
    const auto bound = quenwick::maxXmlNesting;
    const std::pair<std::string, bool> cases[] = {   // the text, and whether it is safe to read
        // The reader ends a start tag at a quote that opens no value and reads on as content: 100,000 levels.
        { "<x rate1=\"90\"><a \"" + deep + "\"/></x>", false }, { "<x rate1=\"90\"><a '" + deep + "'/></x>", false },
        { "<x rate1=\"90\"><a b=c \"" + deep + "\"/></x>", false }, { "<x rate1=\"90\"><a\xc3\xa9 \"" + deep + "\"/></x>", false },
        // A comment inside a start tag is skipped whole, quote and all.
        { "<x rate1=\"90\"><a <!-- \" -->>" + deep + "</a></x>", false },
        // End tags inside a value, a comment or a CDATA section close nothing.
        { "<x>" + repeated ("<b>", 100) + "<c a='" + repeated ("</b>", 100) + "'>" + repeated ("<b>", 100), false },
        { "<x>" + repeated ("<b>", 100) + "<!--" + repeated ("</b>", 100) + "-->" + repeated ("<b>", 100), false },
        { "<x>" + repeated ("<b>", 100) + "<![CDATA[" + repeated ("</b>", 100) + "]]>" + repeated ("<b>", 100), false },
        // Exactly at the bound and one deeper; stray end tags before them hide nothing.
        { repeated ("<a>", bound) + repeated ("</a>", bound), true }, { repeated ("<a>", bound + 1) + repeated ("</a>", bound + 1), false },
        { repeated ("</a>", 1000) + repeated ("<a>", bound + 1), false },
        // As many elements as the reader may build, and one more.
        { "<x>" + repeated ("<a/>", quenwick::maxXmlElements - 1) + "</x>", true }, { "<x>" + repeated ("<a/>", quenwick::maxXmlElements) + "</x>", false },
        // An end tag or a comment that never ends: the reader would search the rest again from every open element.
        { "<x rate1=\"90\">" + repeated ("<a>", 100) + repeated ("</", 1000), false }, { "<x rate1=\"90\"><a><!--" + repeated ("<!--", 1000), false },
        // Markup that is not plain XML: a document type in either case, a processing instruction, a bare or odd '<'.
        { "<!DOCTYPE x><x rate1=\"90\"/>", false }, { "<!doctype x><x rate1=\"90\"/>", false }, { "<x rate1=\"90\"><?p?></x>", false },
        { "<x rate1=\"90\">< b/></x>", false }, { "<x rate1=\"90\"><!b/></x>", false }, { "<x rate1=\"90\"><b/ ></x>", false },
        // Plain XML with everything a writer may put around the markup.
        { "<?xml version=\"1.0\"?>\r\n<!-- c --><x rate1 = '90'\n\tdepth1=\"it's > 'q' />\"<!-- c -->><![CDATA[<b>]]>a &amp; &#60;<y/><z a=\"1\" ></z></x>", true },
        { juce::XmlElement ("x").toString().toStdString(), true } };
    for (const auto& [text, safe] : cases)
    {
        EXPECT_EQ (quenwick::isSafeXmlText (text.data(), text.size()), safe) << text.substr (0, 80);
        EXPECT_EQ (quenwick::parseXmlSafely (text.data(), text.size()) != nullptr, safe) << text.substr (0, 80);
    }
    // What JUCE writes reads back, whatever the values hold.
    juce::XmlElement written ("MarlinetPreset");
    written.setAttribute ("path", juce::CharPointer_UTF8 ("/a \"<b>\" & 'c'\t\xd0\x96\xf0\x9f\x8e\xb9.preset"));
    auto* inner = &written;
    for (int level = 1; level < bound; ++level)   // nested as deep as a cache may be, the innermost element empty
        (inner = inner->createNewChildElement ("presets"))->setAttribute ("name", "</presets>");
    const auto text = written.toString().toStdString();
    EXPECT_TRUE (quenwick::isSafeXmlText (text.data(), text.size()));
}

TEST (SafeXml, TheDeepestContainerAcceptedRestoresWithinAQuarterOfASmallThreadStack)
{
    TempHome home;
    MarlinetAudioProcessor processor;
    const auto levels = quenwick::maxXmlNesting - 1;
    const auto deepest = legacyContainer ("<x rate1=\"90\">" + repeated ("<a>", levels) + repeated ("</a>", levels) + "</x>");
    const auto used = stackUsedBy ([&] { processor.setStateInformation (deepest.getData(), (int) deepest.getSize()); });
    EXPECT_FLOAT_EQ (parameterValue (processor, "rate1"), 90.0f);
    EXPECT_LT (used, 128u * 1024u);   // a host may restore on a thread of 512 KiB or less
}
