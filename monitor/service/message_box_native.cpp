#include "message_box.h"
#include "message_log.h"

#include <mutex>

namespace {

// Filled by the server thread, read by the test thread.
std::mutex g_lock;
std::vector<ShownMessage> g_shown;

} // namespace

void ShowMessage(MessageKind kind, unsigned index)
{
    const std::lock_guard<std::mutex> guard(g_lock);
    g_shown.push_back({kind, index});
}

std::vector<ShownMessage> TakeShownMessages()
{
    const std::lock_guard<std::mutex> guard(g_lock);
    std::vector<ShownMessage> taken;
    taken.swap(g_shown);
    return taken;
}
