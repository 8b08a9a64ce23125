// The lines tempquery prints for a drive report.
#pragma once

#include "query_protocol.h"

#include <cstdint>
#include <string>

// One line per record whose present byte is 1, in slot order:
// "#<slot> <current>/<maximum> : <model> (<firmware> <serial>)\n". Each string is read
// within its own field, so a record without NULs cannot lead the reader past it.
std::string FormatDriveLines(const std::uint8_t (&report)[kReportBytes]);
