#include "presets/updateCheck.h"
#include "tests/unit/CommandsLoopbackServer.h"

#include <gtest/gtest.h>

#include <string>

namespace update = quenwick::update;

namespace
{
    // Every preset bar built in this program runs the update check; none of them may reach
    // the real service.
    [[maybe_unused]] const bool serviceSwitchedOff = []
    {
        update::setServiceAddress ({});
        return true;
    }();

    constexpr int testTimeoutMs = 1000;

    juce::MemoryBlock bytes (const std::string& text)
    {
        return juce::MemoryBlock (text.data(), text.size());
    }

    /** Answers one request from a server that replies with body and status. */
    bool askServerReplying (const std::string& body, const juce::String& status = "200 OK")
    {
        LoopbackServer server (LoopbackServer::response (status, bytes (body)));
        return update::askService (server.address(), "marlinet", "1.3.0", testTimeoutMs);
    }

    struct Timed
    {
        bool result;
        double seconds;
    };

    template <typename Fn>
    Timed timed (Fn&& fn)
    {
        const auto start = juce::Time::getMillisecondCounterHiRes();
        const bool result = fn();
        return { result, (juce::Time::getMillisecondCounterHiRes() - start) / 1000.0 };
    }
}

TEST (CommandsUpdateRequest, BodyIsTheTwoMembersOnCrlfLinesWithTwoSpaceIndent)
{
    EXPECT_EQ (update::requestBody ("marlinet", "1.3.0").toStdString(),
               "{\r\n  \"code\": \"marlinet\",\r\n  \"version\": \"1.3.0\"\r\n}");
    EXPECT_EQ (update::requestBody ("brisko", "1.3.0").toStdString(),
               "{\r\n  \"code\": \"brisko\",\r\n  \"version\": \"1.3.0\"\r\n}");
    EXPECT_EQ (update::currentVersion(), "1.3.0");
}

TEST (CommandsUpdateReply, OnlyExactlyTrueUpToAZeroByteMeansAnUpdate)
{
    const auto check = [] (const std::string& reply) { return update::isUpdateReply (reply.data(), reply.size()); };

    EXPECT_TRUE (check ("true"));
    EXPECT_TRUE (check (std::string ("true\0more bytes", 15)));
    EXPECT_TRUE (check (std::string ("true\0", 5)));

    for (const auto* other : { "True", "TRUE", "true\n", " true", "true ", "false", "", "tru", "truetrue" })
        EXPECT_FALSE (check (other)) << "reply: \"" << other << "\"";

    EXPECT_FALSE (check (std::string ("\0true", 5)));
    EXPECT_FALSE (update::isUpdateReply (nullptr, 4));
}

TEST (CommandsUpdateDownload, PageNamesThisPlatformsFolderAndTheDownloadCode)
{
    EXPECT_EQ (update::downloadCode ("marlinet"), "marlinet");
    EXPECT_EQ (update::downloadCode ("brisko"), "vadabrisko");
    EXPECT_EQ (update::downloadCode ("Brisko"), "Brisko");

   #if JUCE_LINUX
    const juce::String folder = "linux/";
   #else
    const juce::String folder = "mac/";
   #endif

    EXPECT_EQ (update::downloadPage ("https://updates.invalid", "marlinet").toString (false),
               "https://updates.invalid/installers/" + folder + "marlinet");
    EXPECT_EQ (update::downloadPage ("https://updates.invalid/", "brisko").toString (false),
               "https://updates.invalid/installers/" + folder + "vadabrisko");
}

TEST (CommandsUpdateDownload, OkOpensThePageAndCancelOpensNothing)
{
    const auto page = update::downloadPage ("https://updates.invalid", "marlinet");
    juce::StringArray opened;
    const auto open = [&] (const juce::URL& url) { opened.add (url.toString (false)); };

    update::downloadPromptAnswered (0, page, open);
    EXPECT_TRUE (opened.isEmpty());

    update::downloadPromptAnswered (1, page, open);
    ASSERT_EQ (opened.size(), 1);
    EXPECT_EQ (opened[0], page.toString (false));
}

TEST (CommandsUpdateService, OnlyHttpsOrTheLoopbackAddressIsContacted)
{
    EXPECT_TRUE (update::isAcceptableServiceAddress ("https://api.example.invalid"));
    EXPECT_TRUE (update::isAcceptableServiceAddress ("http://127.0.0.1:8080"));
    EXPECT_TRUE (update::isAcceptableServiceAddress ("http://localhost:8080"));

    for (const auto* address : { "", "http://api.example.invalid", "ftp://api.example.invalid", "https://",
                                 "https://user@api.example.invalid", "http://127.0.0.1.example.invalid" })
        EXPECT_FALSE (update::isAcceptableServiceAddress (address)) << address;

    // Switched off (as in every test program): the check asks nobody and prompts nothing.
    EXPECT_FALSE (update::checkForUpdate ("marlinet"));
}

TEST (CommandsUpdateService, SendsExactlyTheJsonBodyAndTheOneContentTypeHeader)
{
    LoopbackServer server (LoopbackServer::response ("200 OK", "true"));

    EXPECT_TRUE (update::askService (server.address(), "marlinet", "1.3.0", testTimeoutMs));

    const auto request = juce::String::fromUTF8 (static_cast<const char*> (server.request().getData()),
                                                 (int) server.request().getSize());
    const auto head = request.upToFirstOccurrenceOf ("\r\n\r\n", false, false);
    const auto body = request.fromFirstOccurrenceOf ("\r\n\r\n", false, false);
    const auto lines = juce::StringArray::fromLines (head);

    EXPECT_EQ (lines[0], "POST /installers/update/ HTTP/1.1");
    EXPECT_EQ (body.toStdString(), "{\r\n  \"code\": \"marlinet\",\r\n  \"version\": \"1.3.0\"\r\n}");

    int contentTypes = 0;

    for (const auto& line : lines)
    {
        if (line.startsWithIgnoreCase ("Content-Type:"))
        {
            ++contentTypes;
            EXPECT_EQ (line, "Content-Type: application/json; charset=utf-8");
        }
    }

    EXPECT_EQ (contentTypes, 1);
}

TEST (CommandsUpdateService, PromptsOnlyForTheExactReplyTrue)
{
    EXPECT_TRUE (askServerReplying ("true"));
    EXPECT_TRUE (askServerReplying (std::string ("true\0and more bytes", 18)));

    for (const auto* reply : { "True", "true\n", " true", "false", "", "true, later" })
        EXPECT_FALSE (askServerReplying (reply)) << "reply: \"" << reply << "\"";
}

TEST (CommandsUpdateService, AnErrorStatusOrARedirectMeansNoUpdate)
{
    EXPECT_FALSE (askServerReplying ("true", "500 Internal Server Error"));
    EXPECT_FALSE (askServerReplying ("true", "404 Not Found"));

    // A redirect is not followed, not even to a service that would say "true".
    LoopbackServer target (LoopbackServer::response ("200 OK", "true"));
    const auto redirect = "HTTP/1.1 302 Found\r\nLocation: " + target.address().toStdString()
                        + "/installers/update/\r\nContent-Length: 4\r\nConnection: close\r\n\r\ntrue";
    LoopbackServer server (bytes (redirect));

    EXPECT_FALSE (update::askService (server.address(), "marlinet", "1.3.0", testTimeoutMs));
    EXPECT_EQ (target.requestsSeen(), 0);
}

TEST (CommandsUpdateService, AnUnreachableOrSilentOrTricklingServiceCostsOnlyTheBoundedTime)
{
    // Nobody listens: refused at once.
    const auto refused = timed ([] { return update::askService ("http://127.0.0.1:" + juce::String (LoopbackServer::closedPort()),
                                                                "marlinet", "1.3.0", testTimeoutMs); });
    EXPECT_FALSE (refused.result);
    EXPECT_LT (refused.seconds, 2.5);

    // Accepts the connection and never answers.
    LoopbackServer silent ({}, 0, false);
    const auto unanswered = timed ([&] { return update::askService (silent.address(), "marlinet", "1.3.0", testTimeoutMs); });
    EXPECT_FALSE (unanswered.result);
    EXPECT_LT (unanswered.seconds, 2.5);

    // Answers "true" one byte every 200 ms: the whole reply would take about 20 s.
    LoopbackServer trickling (LoopbackServer::response ("200 OK", "true"), 200);
    const auto trickled = timed ([&] { return update::askService (trickling.address(), "marlinet", "1.3.0", testTimeoutMs); });
    EXPECT_FALSE (trickled.result);
    EXPECT_LT (trickled.seconds, 2.5);
}

TEST (CommandsUpdateService, TheCheckAsksTheConfiguredServiceOnce)
{
    LoopbackServer server (LoopbackServer::response ("200 OK", "false"));

    update::setServiceAddress (server.address());
    const auto prompted = update::checkForUpdate ("marlinet");
    update::setServiceAddress ({});

    EXPECT_FALSE (prompted);
    EXPECT_EQ (server.requestsSeen(), 1);
}
