// KELVIX warns with a balloon when a drive gets hotter than the warning temperature;
// kelvixd writes a log line instead, once when a drive reaches it and once when it has
// cooled below it again, so a hot drive does not fill the journal every cycle.
#pragma once

#include "drive_table.h"

#include <cstdint>
#include <cstdio>

class WarningWatch {
public:
    // 0 turns the warnings off.
    explicit WarningWatch(std::uint32_t warning) : warning_(warning) {}
    // Logs the drives that crossed the warning temperature since the last call; returns
    // how many drives are at or above it now.
    unsigned Check(const DriveState& drives, std::FILE* log);

private:
    std::uint32_t warning_;
    bool hot_[kMaxDrives] = {};
};
