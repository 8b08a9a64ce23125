#include "unknown_command_notice.h"

#include "message_box.h"

#include <system_error>
#include <thread>

namespace {
constexpr unsigned kUnknownCommandMessage = 15;
} // namespace

UnknownCommandNotice::UnknownCommandNotice() : shared_(std::make_shared<Shared>()) {}

void UnknownCommandNotice::Raise()
{
    ++shared_->received;
    if (shared_->open.exchange(true)) {
        return;
    }
    try {
        std::thread([shared = shared_] {
            ShowMessage(MessageKind::Notice, kUnknownCommandMessage);
            shared->open = false;
        }).detach();
    } catch (const std::system_error&) {
        // No thread for the notice: the command stays counted, serving goes on.
        shared_->open = false;
    }
}
