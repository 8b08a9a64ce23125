#include "drive_report.h"

#include <cstring>

static_assert(kMaxDrives == kReportRecords, "one report record per drive slot");

namespace {

// Copies up to the source's NUL, at most width - 1 bytes; the field was zeroed, so it ends
// with a NUL. The table is read live by the server thread, so never trust a terminator.
void CopyField(char* field, std::size_t width, const char* source, std::size_t sourceWidth)
{
    const std::size_t limit = (width < sourceWidth ? width : sourceWidth) - 1;
    const void* end = std::memchr(source, '\0', limit);
    const std::size_t length = end != nullptr ? static_cast<std::size_t>(static_cast<const char*>(end) - source) : limit;
    std::memcpy(field, source, length);
}

} // namespace

void BuildDriveReport(const DriveRecord (&table)[kMaxDrives], std::uint8_t (&report)[kReportBytes])
{
    std::memset(report, 0, sizeof report);
    for (std::size_t slot = 0; slot < kMaxDrives; ++slot) {
        const DriveRecord& drive = table[slot];
        if (drive.present == 0) {
            continue;
        }
        DriveReport record{};
        record.present = 1;
        record.current = drive.currentTemperature;
        record.maximum = drive.worstTemperature;
        CopyField(record.model, sizeof record.model, drive.model, sizeof drive.model);
        CopyField(record.firmware, sizeof record.firmware, drive.firmware, sizeof drive.firmware);
        CopyField(record.serial, sizeof record.serial, drive.serial, sizeof drive.serial);
        std::memcpy(report + slot * kDriveReportBytes, &record, sizeof record);
    }
}
