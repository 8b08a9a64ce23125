#include "report_shape.h"

#include "query_protocol.h"
#include "report_record.h"

#include <algorithm>

namespace {

template <std::size_t Width>
bool Terminated(const char (&field)[Width])
{
    return FieldText(field).size() < Width;
}

} // namespace

std::string ReportShapeFault(const std::uint8_t* answer, int length)
{
    if (length != static_cast<int>(kReportBytes)) {
        return "an answer of " + std::to_string(length) + " bytes, not " + std::to_string(kReportBytes);
    }
    std::uint8_t report[kReportBytes];
    std::copy(answer, answer + kReportBytes, report);
    for (std::size_t slot = 0; slot < kReportRecords; ++slot) {
        const DriveReport record = ReportRecordAt(report, slot);
        const std::string where = "record " + std::to_string(slot);
        const std::uint8_t* bytes = report + slot * kDriveReportBytes;
        if (record.present > 1) {
            return where + " has present byte " + std::to_string(record.present);
        }
        if (record.present == 0 && std::any_of(bytes, bytes + kDriveReportBytes, [](std::uint8_t b) { return b != 0; })) {
            return where + " is absent but not empty";
        }
        if (record.present == 1 &&
            !(Terminated(record.model) && Terminated(record.firmware) && Terminated(record.serial))) {
            return where + " has a text without its end";
        }
    }
    return std::string();
}
