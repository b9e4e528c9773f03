#include "presets/menuCommands.h"
#include "presets/updateCheck.h"
#include "tests/support/LoopbackServer.h"

#include <gtest/gtest.h>

namespace update = quenwick::update;

// The test program's main switches the real service off; these tests start their own.
static bool ask (const juce::String& address) { return update::askService (address, "marlinet", "1.3.0", 1000); }

TEST (UpdateCheck, OnlyOkOpensTheDownloadPageAndTheManualsLieOnTheMakersSite)
{
    const auto page = update::downloadPage ("https://updates.invalid/", "marlinet");
    juce::StringArray opened;
    for (int answer : { 0, 1 })
        update::downloadPromptAnswered (answer, page, [&opened] (const juce::URL& url) { opened.add (url.toString (false)); });
    EXPECT_EQ (opened, juce::StringArray (page.toString (false)));
    // The manuals page lies on the maker's site.
    EXPECT_EQ (quenwick::commands::manualsPage().toString (false), quenwick::commands::homePage().toString (false).trimCharactersAtEnd ("/") + "/pages/plug-in-manuals");
}

TEST (UpdateCheck, TalksOnlyHttpsOrPlainHttpToTheLoopbackAddress)
{
    for (const auto* address : { "https://api.example.invalid", "http://127.0.0.1:8080", "http://localhost:8080" })
        EXPECT_TRUE (update::isAcceptableServiceAddress (address)) << address;
    for (const auto* address : { "", "http://api.example.invalid", "ftp://api.example.invalid", "https://",
                                 "https://user@api.example.invalid", "http://127.0.0.1.example.invalid" })
        EXPECT_FALSE (update::isAcceptableServiceAddress (address)) << address;
}

TEST (UpdateCheck, PostsExactlyTheJsonBodyWithOneContentTypeHeader)
{
    LoopbackServer server (LoopbackServer::response ("200 OK", "true"));
    EXPECT_TRUE (ask (server.address()));
    const auto request = juce::String (server.request());
    EXPECT_TRUE (request.startsWith ("POST /installers/update/ HTTP/1.1\r\n")) << request;
    EXPECT_TRUE (request.endsWith ("\r\n\r\n{\r\n  \"code\": \"marlinet\",\r\n  \"version\": \"1.3.0\"\r\n}")) << request;
    EXPECT_TRUE (request.contains ("\r\nContent-Type: application/json; charset=utf-8\r\n")) << request;
    EXPECT_EQ (request.indexOfIgnoreCase ("Content-Type:"), request.lastIndexOfIgnoreCase ("Content-Type:"));
}

TEST (UpdateCheck, OnlyTheExactReplyTrueUpToAZeroByteWithASuccessStatusPromptsAndNoServiceTakesLongerThanTheBound)
{
    // A redirect is not followed, not even to a service that would say "true".
    LoopbackServer target (LoopbackServer::response ("200 OK", "true"));
    const auto ok = [] (const std::string& body) { return LoopbackServer::response ("200 OK", body); };
    const auto redirect = LoopbackServer::response ("302 Found\r\nLocation: " + target.address().toStdString() + "/installers/update/", "true");
    const struct { std::string reply; int byteDelayMs; bool prompts; } cases[] {
        { ok ("true"), 0, true },      { ok (std::string ("true\0and more bytes", 18)), 0, true },
        { ok ("True"), 0, false },     { ok ("true\n"), 0, false },   { ok (" true"), 0, false },         { ok ("false"), 0, false },
        { ok (""), 0, false },         { ok ("true, later"), 0, false }, { ok ("truetrue"), 0, false }, { ok ("tru"), 0, false },
        { ok (std::string ("\0true", 5)), 0, false },  { LoopbackServer::response ("500 Internal Server Error", "true"), 0, false },
        { LoopbackServer::response ("404 Not Found", "true"), 0, false }, { redirect, 0, false },
        { "", -1, false },   // accepts, never answers
        { ok ("true"), 200, false } };   // trickles: the whole reply would take about 20 s
    for (const auto& c : cases)
    {
        LoopbackServer server (c.reply, c.byteDelayMs);
        const auto start = juce::Time::getMillisecondCounterHiRes();
        EXPECT_EQ (ask (server.address()), c.prompts) << c.reply;
        EXPECT_LT (juce::Time::getMillisecondCounterHiRes() - start, 2500.0) << c.reply;
    }
    const auto start = juce::Time::getMillisecondCounterHiRes();
    EXPECT_FALSE (ask (LoopbackServer ("").address()));   // a port nobody listens on any more
    EXPECT_LT (juce::Time::getMillisecondCounterHiRes() - start, 2500.0);
    EXPECT_EQ (target.requestsSeen.load(), 0);
}
