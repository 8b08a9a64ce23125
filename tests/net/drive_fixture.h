// Drive tables filled by hand for the service tests.
#pragma once

#include "drive_table.h"

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>

struct TestDrive {
    unsigned slot;
    std::uint8_t current;
    std::uint8_t worst;
    const char* model;
    const char* firmware;
    const char* serial;
};

inline void PutDrive(DriveState& state, const TestDrive& drive)
{
    DriveRecord& record = state.table[drive.slot];
    record.present = 1;
    record.currentTemperature = drive.current;
    record.worstTemperature = drive.worst;
    std::strncpy(record.model, drive.model, sizeof record.model - 1);
    std::strncpy(record.firmware, drive.firmware, sizeof record.firmware - 1);
    std::strncpy(record.serial, drive.serial, sizeof record.serial - 1);
}

inline std::unique_ptr<DriveState> MakeDriveState(std::initializer_list<TestDrive> drives)
{
    auto state = std::make_unique<DriveState>();
    for (const TestDrive& drive : drives) {
        PutDrive(*state, drive);
    }
    return state;
}
