// Reading one record of a drive report: its bytes, and its texts within their fields.
#pragma once

#include "query_protocol.h"

#include <cstdint>
#include <string_view>

DriveReport ReportRecordAt(const std::uint8_t (&report)[kReportBytes], std::size_t slot);

// The text up to its NUL, or the whole field when it has none: a record without NULs
// cannot lead the reader past its field.
template <std::size_t Width>
std::string_view FieldText(const char (&field)[Width])
{
    std::size_t length = 0;
    while (length < Width && field[length] != '\0') {
        ++length;
    }
    return std::string_view(field, length);
}
