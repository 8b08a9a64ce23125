// The notification log of KELVIX: one line per try, with the local time, appended to a
// file beside the program (kelvixd writes the same lines to the journal). The file is
// started again when it passes its size limit, so it never grows without end.
#pragma once

#include <mutex>
#include <string>

class NotifyLogFile {
public:
    static constexpr long kMaxBytes = 256 * 1024;

    explicit NotifyLogFile(std::string path) : path_(std::move(path)) {}
    // From any thread.
    void Write(const std::string& line);

private:
    std::mutex mutex_;
    std::string path_;
};
