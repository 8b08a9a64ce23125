#include "message_box.h"
#include "message_log.h"

#include <condition_variable>
#include <mutex>

namespace {

// Filled by the server's threads, read by the test thread. Never destroyed: a notice
// thread may still be running when the process ends.
struct Log {
    std::mutex lock;
    std::condition_variable released;
    std::vector<ShownMessage> shown;
    bool holdNotices = false;
};

Log& TheLog()
{
    static Log* const log = new Log;
    return *log;
}

} // namespace

void ShowMessage(MessageKind kind, unsigned index)
{
    Log& log = TheLog();
    std::unique_lock<std::mutex> guard(log.lock);
    log.shown.push_back({kind, index});
    if (kind == MessageKind::Notice) {
        log.released.wait(guard, [&log] { return !log.holdNotices; });
    }
}

std::vector<ShownMessage> TakeShownMessages()
{
    Log& log = TheLog();
    const std::lock_guard<std::mutex> guard(log.lock);
    std::vector<ShownMessage> taken;
    taken.swap(log.shown);
    return taken;
}

void HoldNotices(bool hold)
{
    Log& log = TheLog();
    {
        const std::lock_guard<std::mutex> guard(log.lock);
        log.holdNotices = hold;
    }
    log.released.notify_all();
}
