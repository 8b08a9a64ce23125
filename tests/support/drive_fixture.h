// Drive tables filled by hand for the service tests.
#pragma once

#include "drive_table.h"
#include "test_drive.h"

#include <initializer_list>
#include <memory>

inline void PutDrive(DriveState& state, const TestDrive& drive)
{
    DriveRecord& record = state.table[drive.slot];
    record.present = 1;
    record.currentTemperature = drive.current;
    record.worstTemperature = drive.worst;
    PutIdentity(record, drive);
}

inline std::unique_ptr<DriveState> MakeDriveState(std::initializer_list<TestDrive> drives)
{
    auto state = std::make_unique<DriveState>();
    for (const TestDrive& drive : drives) {
        PutDrive(*state, drive);
    }
    return state;
}
