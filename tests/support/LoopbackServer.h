#pragma once

#include <juce_core/juce_core.h>

#include <atomic>
#include <csignal>
#include <mutex>
#include <string>
#include <thread>

/** A one-request-at-a-time HTTP server on 127.0.0.1 and an ephemeral port, for the update
    check's tests: it records the raw request and answers with the bytes it was given.
    Nothing here ever talks to another host. */
class LoopbackServer
{
public:
    /** byteDelayMs > 0 sends the reply one byte at a time; < 0 accepts and never answers. */
    explicit LoopbackServer (const std::string& reply, int byteDelayMs = 0)
    {
        std::signal (SIGPIPE, SIG_IGN);   // a client that hangs up mid-reply must not end the tests
        listener.createListener (0, "127.0.0.1");
        thread = std::thread ([this, reply, byteDelayMs] { run (reply, byteDelayMs); });
    }

    ~LoopbackServer() { stop = true; thread.join(); }
    juce::String address() const { return "http://127.0.0.1:" + juce::String (listener.getBoundPort()); }
    /** The raw bytes of the last request (request line, headers and body). */
    std::string request() const { const std::lock_guard<std::mutex> held (lock); return received; }
    std::atomic<int> requestsSeen { 0 };

    static std::string response (const std::string& status, const std::string& body)
    {
        return "HTTP/1.1 " + status + "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string (body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    }

private:
    void run (const std::string& reply, int delay)
    {
        while (! stop)
        {
            std::unique_ptr<juce::StreamingSocket> client (listener.waitUntilReady (true, 50) == 1 ? listener.waitForNextConnection() : nullptr);
            if (client == nullptr)
                continue;
            ++requestsSeen;
            std::string data;
            char buffer[1024];
            // The head, then as many body bytes as Content-Length announces.
            for (auto expected = std::string::npos; ! stop && data.size() < expected;)
            {
                const auto ready = client->waitUntilReady (true, 50), n = ready == 1 ? client->read (buffer, (int) sizeof (buffer), false) : 0;
                if (ready != 0 && n <= 0)
                    break;
                data.append (buffer, (size_t) n);
                if (const auto end = data.find ("\r\n\r\n"); expected == std::string::npos && end != std::string::npos)
                    expected = end + 4 + (size_t) juce::String (data.substr (0, end)).toLowerCase().fromFirstOccurrenceOf ("content-length:", false, false).getIntValue();
            }
            { const std::lock_guard<std::mutex> held (lock); received = data; }
            for (size_t i = 0, step = delay == 0 ? reply.size() : 1; delay >= 0 && i < reply.size() && ! stop && client->write (reply.data() + i, (int) step) == (int) step; i += step)
                juce::Thread::sleep (delay);
            while (delay < 0 && ! stop)
                juce::Thread::sleep (20);
        }
    }

    juce::StreamingSocket listener;
    std::atomic<bool> stop { false };
    mutable std::mutex lock;
    std::string received;
    std::thread thread;
};
