// Building the 1920-byte drive report from the drive table.
#pragma once

#include "drive_table.h"
#include "query_protocol.h"

#include <cstdint>

// Record i describes slot i; absent slots stay all zero. Each string is copied within
// its field and always ends with a NUL there, even if the table's text does not.
void BuildDriveReport(const DriveRecord (&table)[kMaxDrives], std::uint8_t (&report)[kReportBytes]);
