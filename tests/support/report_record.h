// Drive records written straight into a report in its wire layout, as a monitor's service
// sends them: for the tests of the programs that read reports.
#pragma once

#include "query_protocol.h"
#include "test_drive.h"

#include <cstdint>
#include <cstring>

// Writes the drive's record at its slot of `report` (kReportBytes long).
inline void PutReportRecord(std::uint8_t* report, const TestDrive& drive)
{
    DriveReport record{};
    record.present = 1;
    record.current = drive.current;
    record.maximum = drive.worst;
    PutIdentity(record, drive);
    std::memcpy(report + drive.slot * kDriveReportBytes, &record, sizeof record);
}
