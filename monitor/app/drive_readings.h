// The drives that have a temperature, and those asleep since the start that have none
// yet, in drive-number order: what the tray picture, the balloons and the clipboard text
// are made from.
#pragma once

#include "drive_table.h"

#include <cstdint>

struct DriveReading {
    unsigned driveNumber = 0;
    std::uint8_t temperature = 0;       // 0 only for a drive asleep since the start
    const char* model = "";             // NUL-terminated texts of the drive record
    const char* capacityText = "";
    const char* transferModeText = "";
    bool sleeping = false;              // left asleep: the temperature is its last
    DriveKind kind = DriveKind::Ata;
    std::uint8_t ownWarning = 0;        // an NVMe drive's own warning temperature, 0 if none
    std::uint8_t health = 0;            // the verdict's health (0 unknown, 1 good, 2 caution, 3 bad),
                                        // where the caller filled it in
    // The verdict says its reads fail (since when, seconds since 1970 UTC): its
    // temperature is its last, never shown as current, never hot.
    bool notAnswering = false;
    std::int64_t notAnsweringSince = 0;
};

struct DriveReadings {
    static constexpr unsigned kCapacity = 16;
    DriveReading items[kCapacity];
    unsigned count = 0;

    // Appends one reading; ignored when the list is full.
    void Add(const DriveReading& reading)
    {
        if (count < kCapacity) {
            items[count++] = reading;
        }
    }

    // Sleeping drives take part with their last temperature; drives that do not answer
    // have none.
    std::uint8_t Hottest() const
    {
        std::uint8_t hottest = 0;
        for (unsigned i = 0; i < count; ++i) {
            if (!items[i].notAnswering && items[i].temperature > hottest) {
                hottest = items[i].temperature;
            }
        }
        return hottest;
    }
};

// The present drives below the probe count that have a temperature, in drive order.
DriveReadings CollectReadings(const DriveState& drives);
// The same, each with its verdict's health and whether it answers.
class DriveJudge;
DriveReadings CollectReadings(const DriveState& drives, const DriveJudge& judge);
