#include "presets/updateCheck.h"
#include "tests/support/LoopbackServer.h"

#include <gtest/gtest.h>

namespace update = quenwick::update;

// The test program's main switches the real service off; these tests start their own.
static bool ask (const juce::String& address) { return update::askService (address, "marlinet", "1.3.0", 1000); }

TEST (CommandsUpdateDownload, ThePageNamesThisPlatformsFolderAndTheDownloadCodeAndOnlyOkOpensIt)
{
    const juce::String folder = (juce::SystemStats::getOperatingSystemType() & juce::SystemStats::Linux) != 0 ? "linux/" : "mac/";
    EXPECT_EQ (update::downloadPage ("https://updates.invalid", "marlinet").toString (false),
               "https://updates.invalid/installers/" + folder + "marlinet");
    const auto page = update::downloadPage ("https://updates.invalid/", "brisko");
    EXPECT_EQ (page.toString (false), "https://updates.invalid/installers/" + folder + "vadabrisko");
    juce::StringArray opened;
    const auto open = [&] (const juce::URL& url) { opened.add (url.toString (false)); };
    update::downloadPromptAnswered (0, page, open);
    EXPECT_TRUE (opened.isEmpty());
    update::downloadPromptAnswered (1, page, open);
    EXPECT_EQ (opened, juce::StringArray (page.toString (false)));
}

TEST (CommandsUpdateService, OnlyHttpsOrTheLoopbackAddressIsContacted)
{
    for (const auto* address : { "https://api.example.invalid", "http://127.0.0.1:8080", "http://localhost:8080" })
        EXPECT_TRUE (update::isAcceptableServiceAddress (address)) << address;
    for (const auto* address : { "", "http://api.example.invalid", "ftp://api.example.invalid", "https://",
                                 "https://user@api.example.invalid", "http://127.0.0.1.example.invalid" })
        EXPECT_FALSE (update::isAcceptableServiceAddress (address)) << address;
    // Switched off (as in every test program): the check asks nobody and prompts nothing.
    EXPECT_FALSE (update::checkForUpdate ("marlinet"));
}

TEST (CommandsUpdateService, SendsExactlyTheJsonBodyAndTheOneContentTypeHeader)
{
    LoopbackServer server (LoopbackServer::response ("200 OK", "true"));
    EXPECT_TRUE (update::askService (server.address(), "marlinet", update::currentVersion(), 1000));
    const auto request = juce::String (server.request());
    const auto lines = juce::StringArray::fromLines (request.upToFirstOccurrenceOf ("\r\n\r\n", false, false));
    EXPECT_EQ (lines[0], "POST /installers/update/ HTTP/1.1");
    EXPECT_EQ (request.fromFirstOccurrenceOf ("\r\n\r\n", false, false).toStdString(),
               "{\r\n  \"code\": \"marlinet\",\r\n  \"version\": \"1.3.0\"\r\n}");
    juce::StringArray contentTypes;
    for (const auto& line : lines)
        if (line.startsWithIgnoreCase ("Content-Type:"))
            contentTypes.add (line);
    EXPECT_EQ (contentTypes, juce::StringArray ("Content-Type: application/json; charset=utf-8"));
}

TEST (CommandsUpdateService, OnlyTheExactReplyTrueUpToAZeroByteWithASuccessStatusPrompts)
{
    // A redirect is not followed, not even to a service that would say "true".
    LoopbackServer target (LoopbackServer::response ("200 OK", "true"));
    const auto redirect = "302 Found\r\nLocation: " + target.address().toStdString() + "/installers/update/";
    const struct { std::string status, body; bool prompts; } cases[] {
        { "200 OK", "true", true },      { "200 OK", std::string ("true\0and more bytes", 18), true },
        { "200 OK", "True", false },     { "200 OK", "true\n", false },  { "200 OK", " true", false },
        { "200 OK", "false", false },    { "200 OK", "", false },        { "200 OK", "true, later", false },
        { "200 OK", "truetrue", false }, { "200 OK", "tru", false },     { "200 OK", std::string ("\0true", 5), false },
        { "500 Internal Server Error", "true", false }, { "404 Not Found", "true", false }, { redirect, "true", false },
    };
    for (const auto& c : cases)
    {
        LoopbackServer server (LoopbackServer::response (c.status, c.body));
        EXPECT_EQ (ask (server.address()), c.prompts) << c.status << ", reply \"" << c.body << "\"";
    }
    EXPECT_EQ (target.requestsSeen.load(), 0);
}

TEST (CommandsUpdateService, AnUnreachableOrSilentOrTricklingServiceCostsOnlyTheBoundedTime)
{
    LoopbackServer silent ("", -1);                                               // accepts, never answers
    LoopbackServer trickling (LoopbackServer::response ("200 OK", "true"), 200);  // the whole reply takes about 20 s
    const auto refused = LoopbackServer ("").address(); // a port on which nobody listens any more
    for (const auto& address : { refused, silent.address(), trickling.address() })
    {
        const auto start = juce::Time::getMillisecondCounterHiRes();
        EXPECT_FALSE (ask (address)) << address;
        EXPECT_LT (juce::Time::getMillisecondCounterHiRes() - start, 2500.0) << address;
    }
}
