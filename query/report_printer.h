// The lines tempquery prints for a drive report.
#pragma once

#include "query_protocol.h"

#include <cstdint>
#include <string>

// One line per record whose present byte is 1, in slot order:
// "#<slot> <current>/<maximum> : <model> (<firmware> <serial>)\n". Each string is read
// within its own field, so a record without NULs cannot lead the reader past it.
// With `health` (-l), each line ends before its newline in the verdict's words as the
// JSON names them: " <health>", then " asleep" and " not_answering" where they hold
// (" unknown" alone from a server that tells no verdicts).
struct DriveHealthView;
std::string FormatDriveLines(const std::uint8_t (&report)[kReportBytes], const DriveHealthView* health = nullptr);
