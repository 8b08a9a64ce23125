// Arbitrary bytes as a verdict reply (from the network) and as a [Health] baseline line
// (from KELVIX.INI): neither parser reads outside its input, a reply that parses encodes
// back to a reply that parses to the same drives, and a baseline that parses formats to a
// line that parses to the same text.
#include "health_baseline.h"
#include "verdict_report.h"

#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    VerdictReport report;
    if (ParseVerdictReport(data, size, report)) {
        std::uint8_t bytes[kVerdictReportBytes];
        EncodeVerdictReport(report, bytes);
        VerdictReport again;
        if (!ParseVerdictReport(bytes, sizeof bytes, again)) {
            std::abort();
        }
        for (std::size_t i = 0; i < kVerdictRecords; ++i) {
            if (again.drives[i].present != report.drives[i].present ||
                again.drives[i].health != report.drives[i].health ||
                again.drives[i].reasonTo != report.drives[i].reasonTo) {
                std::abort();
            }
        }
    }
    const std::string line(reinterpret_cast<const char*>(data), size);
    HealthBaseline baseline;
    if (ParseBaseline(line.c_str(), baseline)) {
        char text[512];
        FormatBaseline(baseline, text, sizeof text);
        HealthBaseline again;
        char second[512];
        if (!ParseBaseline(text, again)) {
            std::abort();
        }
        FormatBaseline(again, second, sizeof second);
        if (std::strcmp(text, second) != 0) {
            std::abort();
        }
    }
    return 0;
}
