#include "presets/updateCheck.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>
#include <cstring>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace quenwick::update
{
namespace
{
    /** The check's base address for this process; starts as the build-time setting. */
    juce::String& serviceAddress()
    {
        static juce::String address { MARLINET_UPDATE_URL };
        return address;
    }

    /** Cancels a blocking request once its time is up. The stream's cancel() may be
        called from another thread; it wakes a blocked connect or read. */
    class Deadline
    {
    public:
        Deadline (juce::WebInputStream& streamToCancel, int timeoutMs)
            : stream (streamToCancel),
              watcher ([this, timeoutMs]
              {
                  std::unique_lock<std::mutex> lock (mutex);

                  if (! woken.wait_for (lock, std::chrono::milliseconds (timeoutMs), [this] { return finished; }))
                  {
                      expired = true;
                      stream.cancel();
                  }
              })
        {
        }

        ~Deadline()
        {
            {
                const std::lock_guard<std::mutex> lock (mutex);
                finished = true;
            }

            woken.notify_all();
            watcher.join();
        }

        bool hasExpired() const { return expired; }

    private:
        juce::WebInputStream& stream;
        std::mutex mutex;
        std::condition_variable woken;
        bool finished = false;
        std::atomic<bool> expired { false };
        std::thread watcher; // last: starts once everything it uses exists
    };

    juce::String hostOf (const juce::String& address)
    {
        return address.fromFirstOccurrenceOf ("://", false, false)
                      .upToFirstOccurrenceOf ("/", false, false)
                      .upToLastOccurrenceOf (":", false, false)
                      .toLowerCase();
    }

    juce::String withoutTrailingSlash (const juce::String& address)
    {
        return address.trimCharactersAtEnd ("/");
    }

    /** "true" plus one more byte decides the answer: that byte must be a zero byte. */
    constexpr int replyBytesNeeded = 5;
}

juce::String currentVersion()
{
    return JucePlugin_VersionString;
}

juce::String requestBody (const juce::String& productCode, const juce::String& version)
{
    juce::DynamicObject::Ptr object = new juce::DynamicObject();
    object->setProperty ("code", productCode);
    object->setProperty ("version", version);
    return juce::JSON::toString (juce::var (object.get()));
}

bool isUpdateReply (const void* data, size_t size)
{
    if (data == nullptr)
        return false;

    const auto* bytes = static_cast<const char*> (data);
    size_t length = 0;

    while (length < size && bytes[length] != 0)
        ++length;

    return length == 4 && std::memcmp (bytes, "true", 4) == 0;
}

juce::String downloadCode (const juce::String& productCode)
{
    return productCode == "brisko" ? juce::String ("vadabrisko") : productCode;
}

juce::String platformFolder()
{
   #if JUCE_LINUX
    return "linux/";
   #else
    return "mac/";
   #endif
}

juce::URL downloadPage (const juce::String& address, const juce::String& productCode)
{
    return juce::URL (withoutTrailingSlash (address) + "/installers/" + platformFolder() + downloadCode (productCode));
}

juce::String getServiceAddress()
{
    return serviceAddress();
}

void setServiceAddress (const juce::String& address)
{
    serviceAddress() = address;
}

bool isAcceptableServiceAddress (const juce::String& address)
{
    const auto host = hostOf (address);

    if (host.isEmpty() || host.containsAnyOf (" @\\?#"))
        return false;

    if (address.startsWithIgnoreCase ("https://"))
        return true;

    return address.startsWithIgnoreCase ("http://") && (host == "127.0.0.1" || host == "localhost");
}

bool askService (const juce::String& address,
                 const juce::String& productCode,
                 const juce::String& version,
                 int timeoutMs)
{
    if (! isAcceptableServiceAddress (address))
        return false;

    timeoutMs = juce::jmax (1, timeoutMs);

    const auto url = juce::URL (withoutTrailingSlash (address) + requestPath)
                         .withPOSTData (requestBody (productCode, version));

    juce::WebInputStream stream (url, true);
    stream.withExtraHeaders (requestHeader)
          .withConnectionTimeout (timeoutMs)
          .withNumRedirectsToFollow (0); // a redirect could leave https; 3xx counts as no update

    const Deadline deadline (stream, timeoutMs);

    if (! stream.connect (nullptr))
        return false;

    const auto status = stream.getStatusCode();

    if (status < 200 || status > 299)
        return false;

    // Only the few bytes that can make "true" are read, so an endless reply costs nothing.
    char reply[replyBytesNeeded] = {};
    int received = 0;

    while (received < replyBytesNeeded)
    {
        const auto n = stream.read (reply + received, replyBytesNeeded - received);

        if (n <= 0)
            break;

        received += n;
    }

    if (deadline.hasExpired())
        return false;

    // A reply that stopped short is only whole if the transfer ended cleanly.
    if (received < replyBytesNeeded && stream.isError())
        return false;

    return isUpdateReply (reply, (size_t) received);
}

void downloadPromptAnswered (int result,
                             const juce::URL& page,
                             const std::function<void (const juce::URL&)>& open)
{
    if (result != 0 && open != nullptr)
        open (page);
}

void showDownloadPrompt (const juce::URL& page)
{
    juce::NativeMessageBox::showOkCancelBox (juce::MessageBoxIconType::QuestionIcon,
                                             "New plugin update",
                                             "Click Ok to download",
                                             nullptr,
                                             juce::ModalCallbackFunction::create ([page] (int result)
                                             {
                                                 downloadPromptAnswered (result, page, [] (const juce::URL& u)
                                                 {
                                                     u.launchInDefaultBrowser();
                                                 });
                                             }));
}

bool checkForUpdate (const juce::String& productCode)
{
    const auto address = getServiceAddress();

    if (! askService (address, productCode, currentVersion()))
        return false;

    showDownloadPrompt (downloadPage (address, productCode));
    return true;
}

} // namespace quenwick::update
