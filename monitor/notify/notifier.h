// Notifier: sends events on a thread of its own, so no web server or command can hold
// up a measurement or an answer. Events wait in a bounded queue; a failed delivery is
// tried again after waits that double; what could not be delivered is logged and
// counted, never reported as sent.
#pragma once

#include "notify_event.h"
#include "notify_settings.h"
#include "notify_transport.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

struct NotifyCounts {
    std::uint64_t delivered = 0;  // deliveries (web request or command) that worked
    std::uint64_t failed = 0;     // deliveries given up, and events the full queue refused
};

// What one try of each way out gave (the test button, kelvixd --test-notify).
struct SendResult {
    bool webTried = false;
    WebOutcome web;
    bool commandTried = false;
    CommandOutcome command;
    bool Delivered() const
    {
        return (webTried || commandTried) && (!webTried || web.delivered) && (!commandTried || command.delivered);
    }
};

// One try of each way the settings turn on, on the caller's thread.
SendResult SendOnce(const NotifySettings& settings, const NotifyEvent& event, const std::string& host,
                    const NotifyTransport& transport, CancelToken& cancel);
// "web request: delivered: HTTP status 200; command: ..." or "nothing to send to".
std::string DescribeResult(const SendResult& result);
// The same after the whole verdict was said ("Delivered: "): a way's own "delivered" or
// "failed" is left out where it agrees with it, "web request: HTTP status 200".
std::string DescribeResultAfterVerdict(const SendResult& result);

class Notifier {
public:
    static constexpr unsigned kMaxQueued = 32;
    using LogLine = std::function<void(const std::string&)>;

    explicit Notifier(LogLine log, NotifyTransport transport = NotifyTransport());
    Notifier(const Notifier&) = delete;
    Notifier& operator=(const Notifier&) = delete;
    ~Notifier();

    // Starts the thread with these settings (stopping an earlier one); nothing runs when
    // the settings name no way out.
    void Start(const NotifySettings& settings, const std::string& host);
    // Breaks off a delivery in progress; events still waiting are counted as failed. A
    // call that cannot be broken off (WinHTTP under Wine keeps waiting for its server) is
    // left to end on its own after kStopWaitMs, without a word more to the log.
    void Stop();
    static constexpr unsigned kStopWaitMs = 2000;
    // Never blocks: false (counted) when the queue is full or nothing runs; a full queue
    // logs one line as a burst of refusals starts and one as it ends. An event the
    // settings' Events leave out is skipped (true).
    bool Post(const NotifyEvent& event);
    NotifyCounts Counts() const;

    // The unit of RetryWait, one second; tests make it shorter.
    void SetRetryUnitMs(unsigned ms) { retryUnitMs_ = ms; }

private:
    struct Shared;
    static void Run(std::shared_ptr<Shared> shared);
    static void Deliver(Shared& shared, const NotifyEvent& event);

    LogLine log_;
    NotifyTransport transport_;
    unsigned retryUnitMs_ = 1000;
    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};
