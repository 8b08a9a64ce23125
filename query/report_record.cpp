#include "report_record.h"

#include <cstring>

DriveReport ReportRecordAt(const std::uint8_t (&report)[kReportBytes], std::size_t slot)
{
    DriveReport record;
    std::memcpy(&record, report + slot * kDriveReportBytes, sizeof record);
    return record;
}
