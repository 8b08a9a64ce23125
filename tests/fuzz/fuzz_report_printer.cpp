// Random answers of 0 to 1920 bytes through tempquery's report printer: the printer must
// stay inside the report whatever the bytes, and print at most one line per record.
#include "report_printer.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > kReportBytes) {
        return 0;
    }
    std::uint8_t report[kReportBytes] = {};
    std::memcpy(report, data, size);
    const std::string lines = FormatDriveLines(report);

    std::size_t present = 0;
    for (std::size_t slot = 0; slot < kReportRecords; ++slot) {
        present += report[slot * kDriveReportBytes] == 1 ? 1 : 0;
    }
    std::size_t newlines = 0;
    for (char c : lines) {
        newlines += c == '\n' ? 1 : 0;
    }
    // Strings may hold their own newlines, but never more lines than records plus texts.
    if (present == 0 ? !lines.empty() : newlines < present) {
        std::abort();
    }
    return 0;
}
