// The notice "未知のコマンドを受信しました。" for unknown commands. Anyone on the network can
// send them, so the notice never holds the server: it is shown on a thread of its own, at
// most one is open at a time, and unknown commands that arrive while it is open are only
// counted. Nobody waits for an open notice, not even the end of the program.
#pragma once

#include <atomic>
#include <memory>

class UnknownCommandNotice {
public:
    UnknownCommandNotice();

    // Counts one unknown command and opens the notice unless it is open already.
    void Raise();

    bool IsOpen() const { return shared_->open; }
    unsigned long Received() const { return shared_->received; }

private:
    // Shared with the thread that shows the notice, which may outlive this object.
    struct Shared {
        std::atomic<bool> open{false};
        std::atomic<unsigned long> received{0};
    };
    std::shared_ptr<Shared> shared_;
};
