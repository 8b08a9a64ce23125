// Snapshots of made-up drives for the history tests, on a clock the test sets.
#pragma once

#include "history_store.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

// 2024-10-04 00:00:00 UTC: a day's start, so buckets of every tier start here.
constexpr std::int64_t kDay0 = 20000LL * 86400;

inline DriveSnapshotEntry TestDrive(const char* serial, DriveCondition condition = DriveCondition::Temperature,
                                    std::uint8_t temperature = 35, unsigned number = 0)
{
    DriveSnapshotEntry drive;
    drive.driveNumber = number;
    drive.condition = condition;
    drive.temperature = temperature;
    std::strcpy(drive.model, "WDC WD40EFRX-68N32N0");
    std::strcpy(drive.firmware, "82.00A82");
    std::snprintf(drive.serial, sizeof(drive.serial), "%s", serial);
    drive.verdict.health = HealthState::Good;
    return drive;
}

inline DriveSnapshot TestSnapshot(std::initializer_list<DriveSnapshotEntry> drives)
{
    DriveSnapshot snapshot;
    snapshot.taken = true;
    for (const DriveSnapshotEntry& drive : drives)
        snapshot.drives[snapshot.count++] = drive;
    return snapshot;
}

inline std::string TestIdentity(const char* serial)
{
    return HistoryIdentity(TestDrive(serial));
}
