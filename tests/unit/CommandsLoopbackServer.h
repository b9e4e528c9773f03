#pragma once

#include <juce_core/juce_core.h>

#include <atomic>
#include <csignal>
#include <cstring>

/** A one-request-at-a-time HTTP server on 127.0.0.1 and an ephemeral port, for the update
    check's tests: it records the raw request and answers with the bytes it was given,
    optionally one byte at a time. Nothing here ever talks to another host. */
class LoopbackServer : private juce::Thread
{
public:
    /** reply: the complete HTTP response to send; byteDelayMs > 0 sends it byte by byte;
        answer false accepts the connection and never answers. */
    explicit LoopbackServer (juce::MemoryBlock replyBytes, int byteDelayMs = 0, bool answer = true)
        : juce::Thread ("loopback server"), reply (std::move (replyBytes)), delay (byteDelayMs), answers (answer)
    {
        // A client that hangs up mid-reply must not kill the test program.
        std::signal (SIGPIPE, SIG_IGN);

        if (listener.createListener (0, "127.0.0.1"))
            startThread();
    }

    ~LoopbackServer() override
    {
        stopThread (5000);
        listener.close();
    }

    int port() const { return listener.getBoundPort(); }
    juce::String address() const { return "http://127.0.0.1:" + juce::String (port()); }

    /** The raw bytes of the last request (request line, headers and body). */
    juce::MemoryBlock request() const
    {
        const juce::ScopedLock sl (lock);
        return received;
    }

    int requestsSeen() const { return requests.load(); }

    /** An HTTP/1.1 response with the given status line and body. */
    static juce::MemoryBlock response (const juce::String& status, const juce::MemoryBlock& body)
    {
        juce::MemoryOutputStream out;
        out << "HTTP/1.1 " << status << "\r\n"
            << "Content-Type: text/plain\r\n"
            << "Content-Length: " << (int) body.getSize() << "\r\n"
            << "Connection: close\r\n\r\n";
        out.write (body.getData(), body.getSize());
        return out.getMemoryBlock();
    }

    static juce::MemoryBlock response (const juce::String& status, const char* body)
    {
        return response (status, juce::MemoryBlock (body, std::strlen (body)));
    }

    /** The number of a local port on which nobody listens. */
    static int closedPort()
    {
        juce::StreamingSocket probe;
        probe.createListener (0, "127.0.0.1");
        const auto number = probe.getBoundPort();
        probe.close();
        return number;
    }

private:
    void run() override
    {
        while (! threadShouldExit())
        {
            if (listener.waitUntilReady (true, 50) != 1)
                continue;

            std::unique_ptr<juce::StreamingSocket> client (listener.waitForNextConnection());

            if (client == nullptr)
                continue;

            ++requests;
            serve (*client);
        }
    }

    void serve (juce::StreamingSocket& client)
    {
        juce::MemoryBlock data;
        int expectedTotal = -1;

        // Read the head, then as many body bytes as Content-Length announces.
        while (! threadShouldExit() && (expectedTotal < 0 || (int) data.getSize() < expectedTotal))
        {
            if (client.waitUntilReady (true, 50) != 1)
                continue;

            char buffer[1024];
            const auto n = client.read (buffer, (int) sizeof (buffer), false);

            if (n <= 0)
                break;

            data.append (buffer, (size_t) n);

            const auto text = data.toString();
            const auto headEnd = text.indexOf ("\r\n\r\n");

            if (expectedTotal < 0 && headEnd >= 0)
            {
                int length = 0;

                for (auto line : juce::StringArray::fromLines (text.substring (0, headEnd)))
                    if (line.startsWithIgnoreCase ("Content-Length:"))
                        length = line.fromFirstOccurrenceOf (":", false, false).trim().getIntValue();

                expectedTotal = headEnd + 4 + length;
            }
        }

        {
            const juce::ScopedLock sl (lock);
            received = data;
        }

        if (! answers)
        {
            while (! threadShouldExit())
                wait (20);

            return;
        }

        const auto* bytes = static_cast<const char*> (reply.getData());

        if (delay <= 0)
        {
            client.write (bytes, (int) reply.getSize());
            return;
        }

        for (size_t i = 0; i < reply.getSize() && ! threadShouldExit(); ++i)
        {
            if (client.write (bytes + i, 1) != 1)
                return;

            wait (delay);
        }
    }

    juce::StreamingSocket listener;
    const juce::MemoryBlock reply;
    const int delay;
    const bool answers;
    juce::CriticalSection lock;
    juce::MemoryBlock received;
    std::atomic<int> requests { 0 };
};
