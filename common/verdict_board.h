// The last verdict report, shared by the main thread (which publishes it after each
// measurement) and the report server's thread (which answers the verdict request).
#pragma once

#include "verdict_report.h"

#include <mutex>

class VerdictBoard {
public:
    void Publish(const VerdictReport& report)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        report_ = report;
        published_ = true;
    }
    // False before the first publish (the request is then not answered).
    bool Copy(VerdictReport& report) const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        report = report_;
        return published_;
    }

private:
    mutable std::mutex mutex_;
    VerdictReport report_;
    bool published_ = false;
};
