#pragma once

#include <juce_core/juce_core.h>

#include <functional>

/** The update check that the preset bar runs when it opens: one small JSON POST to the
    update service, and an offer to open the download page when the service answers
    exactly "true". Each step is a plain function so it can be tested on its own. */
namespace quenwick::update
{
/** The version this build reports to the service. */
juce::String currentVersion();

/** Path of the service's endpoint, below its base address. */
inline constexpr const char* requestPath = "/installers/update/";

/** The one header the request adds to the framework's own. */
inline constexpr const char* requestHeader = "Content-Type: application/json; charset=utf-8";

/** The request body: a JSON object with "code" then "version", one member per line,
    two-space indent, CRLF line ends and nothing after the closing brace. */
juce::String requestBody (const juce::String& productCode, const juce::String& version);

/** True when the reply, read up to its first zero byte, is exactly "true". */
bool isUpdateReply (const void* data, size_t size);

/** The name of the installer to offer: the product code, except "brisko" which is
    published as "vadabrisko". */
juce::String downloadCode (const juce::String& productCode);

/** The installer folder of this platform: "mac/" on macOS, "linux/" on Linux. */
juce::String platformFolder();

/** The download page on the service: base + "/installers/" + platform folder + code. */
juce::URL downloadPage (const juce::String& serviceAddress, const juce::String& productCode);

/** The service's base address: the build-time setting unless replaced. */
juce::String getServiceAddress();

/** Replaces the service's base address for this process; an empty text switches the
    check off. Tests use it so that no preset bar ever reaches the real service. */
void setServiceAddress (const juce::String& address);

/** The check only talks https, or plain http to this machine's loopback address. */
bool isAcceptableServiceAddress (const juce::String& address);

/** How long the whole request (connection and reply) may block the caller. */
inline constexpr int defaultTimeoutMs = 2500;

/** Asks the service whether a newer version exists. Blocks the caller for at most about
    timeoutMs (plus up to a second while a cancelled transfer winds down); follows no
    redirect; any failure, error status or other reply means no update. */
bool askService (const juce::String& serviceAddress,
                 const juce::String& productCode,
                 const juce::String& version,
                 int timeoutMs = defaultTimeoutMs);

/** Result of the download prompt: non-zero (OK) opens the page through open. */
void downloadPromptAnswered (int result,
                             const juce::URL& page,
                             const std::function<void (const juce::URL&)>& open);

/** Shows "New plugin update" / "Click Ok to download" without blocking; OK opens the
    page in the default browser. The prompt holds only its own copy of the page. */
void showDownloadPrompt (const juce::URL& page);

/** The whole check as the preset bar runs it: asks the configured service and, when
    it reports an update, shows the prompt. Returns whether the prompt was shown. */
bool checkForUpdate (const juce::String& productCode);

} // namespace quenwick::update
