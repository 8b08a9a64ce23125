#include "notifier.h"

#include "notify_choice.h"
#include "notify_text.h"

#include <chrono>
#include <cctype>
#include <cstring>

// Everything the sending thread touches, so that a thread left to end on its own never
// reaches into a Notifier that is gone.
struct Notifier::Shared {
    NotifySettings settings;
    std::string host;
    LogLine log;
    NotifyTransport transport;
    unsigned retryUnitMs = 1000;
    bool finished = false;  // the thread has returned
    bool detached = false;  // left to end on its own: it logs nothing more
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<NotifyEvent> queue;
    bool stopping = false;
    CancelToken cancel;
    std::uint64_t delivered = 0;
    std::uint64_t failed = 0;
    EventChoice choice;
    std::uint64_t refusedInBurst = 0;  // events the full queue refused since it last had room
};

namespace {

void Log(Notifier::LogLine& log, std::mutex& mutex, const bool& detached, const std::string& line)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (!detached) {
        log(line);
    }
}

std::string EventLabel(const NotifyEvent& event)
{
    std::string label = EventName(event.kind);
    if (event.kind != NotifyEventKind::Test) {
        label += " (drive " + std::to_string(event.driveNumber) + ")";
    }
    return label;
}

bool HasHeader(const std::vector<std::string>& headers, const char* name)
{
    const std::size_t length = std::strlen(name);
    for (const std::string& header : headers) {
        bool same = header.size() > length && header[length] == ':';
        for (std::size_t i = 0; same && i < length; ++i) {
            same = std::tolower(static_cast<unsigned char>(header[i])) == std::tolower(static_cast<unsigned char>(name[i]));
        }
        if (same) {
            return true;
        }
    }
    return false;
}

WebRequest MakeRequest(const NotifySettings& settings, const NotifyEvent& event, const std::string& host)
{
    const Urgency urgency = UrgencyOf(ChooseEvents(settings.events, settings.urgency), event.kind);
    WebRequest request;
    request.url = settings.url;
    request.method = settings.method;
    request.contentType = BodyContentType(settings.body);
    request.body = EventBody(event, host.c_str(), settings.body, GotifyPriority(urgency));
    for (const std::string& header : settings.headers) {
        if (!header.empty()) {
            request.headers.push_back(header);
        }
    }
    // ntfy reads the title and the priority from headers; a header of the user's own wins.
    if (settings.body == BodyKind::Text && !HasHeader(request.headers, "Title")) {
        request.headers.push_back("Title: " + EventTitle(event, host.c_str()));
    }
    if (urgency != Urgency::Unset && !HasHeader(request.headers, "Priority")) {
        request.headers.push_back("Priority: " + std::to_string(NtfyPriority(urgency)));
    }
    request.caFile = settings.caFile;
    request.timeoutMs = settings.requestTimeout * 1000;
    return request;
}

}  // namespace

SendResult SendOnce(const NotifySettings& settings, const NotifyEvent& event, const std::string& host,
                    const NotifyTransport& transport, CancelToken& cancel)
{
    SendResult result;
    if (settings.WebOn()) {
        result.webTried = true;
        result.web = transport.web(MakeRequest(settings, event, host), cancel);
    }
    if (settings.CommandOn()) {
        result.commandTried = true;
        result.command = transport.command(settings.command, EventEnvironment(event, host.c_str()),
                                           settings.commandTimeout * 1000, cancel);
    }
    return result;
}

std::string DescribeResult(const SendResult& result)
{
    std::string text;
    if (result.webTried) {
        text = "web request: " + DescribeWeb(result.web);
    }
    if (result.commandTried) {
        text += (text.empty() ? "" : "; ") + std::string("command: ") + DescribeCommand(result.command);
    }
    return text.empty() ? std::string("nothing to send to: no URL and no command") : text;
}

std::string DescribeResultAfterVerdict(const SendResult& result)
{
    const bool delivered = result.Delivered();
    std::string text;
    if (result.webTried) {
        text = "web request: " + (result.web.delivered == delivered ? WebDetail(result.web) : DescribeWeb(result.web));
    }
    if (result.commandTried) {
        text += (text.empty() ? "" : "; ") + std::string("command: ") +
                (result.command.delivered == delivered ? CommandDetail(result.command) : DescribeCommand(result.command));
    }
    return text.empty() ? DescribeResult(result) : text;
}

Notifier::Notifier(LogLine log, NotifyTransport transport) : log_(std::move(log)), transport_(std::move(transport)) {}

Notifier::~Notifier()
{
    Stop();
}

void Notifier::Start(const NotifySettings& settings, const std::string& host)
{
    Stop();
    if (!settings.On()) {
        return;
    }
    const std::uint64_t delivered = shared_ ? shared_->delivered : 0;
    const std::uint64_t failed = shared_ ? shared_->failed : 0;
    auto shared = std::make_shared<Shared>();
    shared->settings = settings;
    shared->choice = ChooseEvents(settings.events, settings.urgency);
    shared->host = host;
    shared->log = log_;
    shared->transport = transport_;
    shared->retryUnitMs = retryUnitMs_;
    shared->delivered = delivered;  // the counts run over the program's life
    shared->failed = failed;
    shared_ = shared;
    thread_ = std::thread([shared]() { Run(shared); });
}

void Notifier::Stop()
{
    if (!thread_.joinable()) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        shared_->stopping = true;
    }
    shared_->wake.notify_all();
    shared_->cancel.Cancel();
    std::unique_lock<std::mutex> lock(shared_->mutex);
    if (shared_->wake.wait_for(lock, std::chrono::milliseconds(kStopWaitMs), [this]() { return shared_->finished; })) {
        lock.unlock();
        thread_.join();
    } else {
        shared_->detached = true;
        lock.unlock();
        thread_.detach();
    }
}

bool Notifier::Post(const NotifyEvent& event)
{
    if (!shared_ || !thread_.joinable()) {
        return false;
    }
    std::string line;
    bool queued = false;
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        if (!Sends(shared_->choice, event.kind)) {
            return true;  // the settings leave this kind of event out
        }
        if (shared_->queue.size() >= kMaxQueued) {
            ++shared_->failed;
            // A burst is told once as it starts and once as it ends, not event by event.
            if (shared_->refusedInBurst++ == 0) {
                line = "notify: " + EventLabel(event) + " not sent: " + std::to_string(kMaxQueued) +
                       " events already waiting (later events are not sent either until there is room)";
            }
        } else {
            shared_->queue.push_back(event);
            shared_->wake.notify_all();
            queued = true;
            if (shared_->refusedInBurst > 1) {
                line = "notify: the queue has room again: " + std::to_string(shared_->refusedInBurst) +
                       " events were not sent while it was full";
            }
            shared_->refusedInBurst = 0;
        }
    }
    if (!line.empty()) {
        log_(line);
    }
    return queued;
}

NotifyCounts Notifier::Counts() const
{
    NotifyCounts counts;
    if (shared_) {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        counts.delivered = shared_->delivered;
        counts.failed = shared_->failed;
    }
    return counts;
}

void Notifier::Run(std::shared_ptr<Shared> shared)
{
    struct Finish {
        Shared& shared;
        ~Finish()
        {
            std::lock_guard<std::mutex> lock(shared.mutex);
            shared.finished = true;
            shared.wake.notify_all();
        }
    } finish{*shared};
    for (;;) {
        NotifyEvent event;
        {
            std::unique_lock<std::mutex> lock(shared->mutex);
            shared->wake.wait(lock, [&shared]() { return shared->stopping || !shared->queue.empty(); });
            if (shared->stopping) {
                const std::size_t left = shared->queue.size();
                shared->failed += left * ((shared->settings.WebOn() ? 1 : 0) + (shared->settings.CommandOn() ? 1 : 0));
                shared->queue.clear();
                if (left != 0 && !shared->detached) {
                    shared->log("notify: stopping: " + std::to_string(left) + " events not sent");
                }
                return;
            }
            event = shared->queue.front();
            shared->queue.pop_front();
        }
        Deliver(*shared, event);
    }
}

void Notifier::Deliver(Shared& shared, const NotifyEvent& event)
{
    const NotifySettings& settings = shared.settings;
    bool webLeft = settings.WebOn();
    bool commandLeft = settings.CommandOn();
    const unsigned tries = settings.retries + 1;
    const std::string label = EventLabel(event);
    std::uint64_t waitMs = static_cast<std::uint64_t>(settings.retryWait) * shared.retryUnitMs;
    const auto log = [&shared](const std::string& line) { Log(shared.log, shared.mutex, shared.detached, line); };
    for (unsigned attempt = 1; attempt <= tries && (webLeft || commandLeft); ++attempt) {
        const std::string tryText = " (try " + std::to_string(attempt) + " of " + std::to_string(tries) + ")";
        if (webLeft) {
            const WebOutcome outcome = shared.transport.web(MakeRequest(settings, event, shared.host), shared.cancel);
            log("notify: " + label + " to " + MaskedUrl(settings.url) + tryText + ": " + DescribeWeb(outcome));
            if (outcome.delivered) {
                webLeft = false;
                std::lock_guard<std::mutex> lock(shared.mutex);
                ++shared.delivered;
            }
        }
        if (commandLeft) {
            const CommandOutcome outcome = shared.transport.command(settings.command, EventEnvironment(event, shared.host.c_str()),
                                                              settings.commandTimeout * 1000, shared.cancel);
            log("notify: " + label + " command" + tryText + ": " + DescribeCommand(outcome));
            if (outcome.delivered) {
                commandLeft = false;
                std::lock_guard<std::mutex> lock(shared.mutex);
                ++shared.delivered;
            }
        }
        if ((webLeft || commandLeft) && attempt < tries) {
            std::unique_lock<std::mutex> lock(shared.mutex);
            if (shared.wake.wait_for(lock, std::chrono::milliseconds(waitMs), [&shared]() { return shared.stopping; })) {
                break;
            }
            waitMs *= 2;
        }
    }
    const unsigned given = (webLeft ? 1 : 0) + (commandLeft ? 1 : 0);
    if (given != 0) {
        {
            std::lock_guard<std::mutex> lock(shared.mutex);
            shared.failed += given;
        }
        log("notify: " + label + " not delivered" + (webLeft ? " by web request" : "") +
             (webLeft && commandLeft ? " nor" : "") + (commandLeft ? " by command" : ""));
    }
}
