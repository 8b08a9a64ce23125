// The two ways out, behind one seam with a file per platform: a web request (WinHTTP on
// Windows, libcurl on Linux) and a command with the event in its environment
// (CreateProcessW, fork/exec). Both return what happened in words for the log and the
// test button; both end early when their CancelToken is cancelled.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

// Cancelled by the thread that stops the sender. A transport may register how to break
// off its blocking call (close a handle, end a process) while it runs.
class CancelToken {
public:
    bool Cancelled() const { return cancelled_.load(); }
    void Cancel()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        cancelled_ = true;
        if (breakOff_) {
            breakOff_();
        }
    }
    // Set while a blocking call runs; false when already cancelled (then nothing is set).
    bool SetBreakOff(std::function<void()> breakOff)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (cancelled_) {
            return false;
        }
        breakOff_ = std::move(breakOff);
        return true;
    }
    void ClearBreakOff()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        breakOff_ = nullptr;
    }
    void Reset() { cancelled_ = false; }

private:
    std::atomic<bool> cancelled_{false};
    std::mutex mutex_;
    std::function<void()> breakOff_;
};

struct WebRequest {
    std::string url;
    std::string method = "POST";
    std::string contentType;
    std::string body;
    std::vector<std::string> headers;  // "Name: value"
    std::string caFile;                // extra trusted certificates; empty: the system's only
    unsigned timeoutMs = 10000;
};

struct WebOutcome {
    bool delivered = false;  // a 2xx answer
    long status = 0;         // the HTTP status; 0 when no answer came
    std::string error;       // why no answer came (connection, TLS, time-out)
};

struct CommandOutcome {
    bool delivered = false;  // started and exited with status 0
    bool started = false;
    bool timedOut = false;
    int exitStatus = -1;
    std::string firstLine;   // of its output (stdout and stderr together), cut at 200 bytes
    std::string error;       // why it did not start
};

WebOutcome SendWebRequest(const WebRequest& request, CancelToken& cancel);
// Runs `command` through the system's shell (/bin/sh -c, cmd.exe /c) with `environment`
// ("NAME=value") added to this program's own.
CommandOutcome RunNotifyCommand(const std::string& command, const std::vector<std::string>& environment,
                                unsigned timeoutMs, CancelToken& cancel);
// This machine's name for the event texts.
std::string ThisHostName();

// Both seams, so tests can put in their own.
struct NotifyTransport {
    std::function<WebOutcome(const WebRequest&, CancelToken&)> web = SendWebRequest;
    std::function<CommandOutcome(const std::string&, const std::vector<std::string>&, unsigned, CancelToken&)>
        command = RunNotifyCommand;
};

// "delivered: HTTP status 204", "failed: HTTP status 500", "failed: no answer (...)".
std::string DescribeWeb(const WebOutcome& outcome);
// "delivered: exit status 0, output \"...\"", "failed: ended after 30 s", ...
std::string DescribeCommand(const CommandOutcome& outcome);
// The same without the leading "delivered: " or "failed: ".
std::string WebDetail(const WebOutcome& outcome);
std::string CommandDetail(const CommandOutcome& outcome);
