#include "report_printer.h"

#include <cstdio>
#include <cstring>

namespace {

int FieldLength(const char* field, std::size_t width)
{
    const void* end = std::memchr(field, '\0', width);
    return static_cast<int>(end != nullptr ? static_cast<const char*>(end) - field : static_cast<std::ptrdiff_t>(width));
}

} // namespace

std::string FormatDriveLines(const std::uint8_t (&report)[kReportBytes])
{
    std::string lines;
    for (unsigned slot = 0; slot < kReportRecords; ++slot) {
        DriveReport record;
        std::memcpy(&record, report + slot * kDriveReportBytes, sizeof record);
        if (record.present != 1) {
            continue;
        }
        // Widest line: "#15 255/255 : " + 64 + " (" + 16 + " " + 32 + ")\n".
        char line[160];
        const int length = std::snprintf(
            line, sizeof line, "#%-2u %2u/%2u : %.*s (%.*s %.*s)\n", slot, unsigned{record.current},
            unsigned{record.maximum}, FieldLength(record.model, sizeof record.model), record.model,
            FieldLength(record.firmware, sizeof record.firmware), record.firmware,
            FieldLength(record.serial, sizeof record.serial), record.serial);
        lines.append(line, static_cast<std::size_t>(length));
    }
    return lines;
}
