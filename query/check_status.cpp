#include "check_status.h"

#include "query_options.h"
#include "report_record.h"

namespace {

const char* StateName(CheckState state)
{
    switch (state) {
    case CheckState::Ok:
        return "OK";
    case CheckState::Warning:
        return "WARNING";
    case CheckState::Critical:
        return "CRITICAL";
    case CheckState::Unknown:
        break;
    }
    return "UNKNOWN";
}

bool Printable(char c)
{
    return c >= 0x20 && c <= 0x7E;
}

std::string ThresholdText(int value)
{
    return value == kNoThreshold ? std::string() : std::to_string(value);
}

std::string Headline(CheckState state, const std::string& text)
{
    return std::string("KELVIX ") + StateName(state) + " - " + text;
}

} // namespace

std::string StatusText(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        out += Printable(c) && c != '|' ? c : '_';
    }
    return out;
}

std::string PerfLabel(std::string_view text)
{
    std::string out = "'";
    for (const char c : text) {
        if (c == '\'') {
            out += "''";
        } else {
            out += Printable(c) && c != '=' && c != '|' ? c : '_';
        }
    }
    return out + "'";
}

CheckResult EvaluateReport(const std::uint8_t (&report)[kReportBytes], CheckThresholds thresholds)
{
    std::string perfData;
    int drives = 0;
    int hottestSlot = -1;
    DriveReport hottest{};
    for (std::size_t slot = 0; slot < kReportRecords; ++slot) {
        const DriveReport record = ReportRecordAt(report, slot);
        if (record.present != 1) {
            continue;
        }
        ++drives;
        const std::string_view model = FieldText(record.model);
        std::string label = "drive" + std::to_string(slot);
        if (!model.empty()) {
            label += ' ';
            label += model;
        }
        perfData += perfData.empty() ? "" : " ";
        perfData += PerfLabel(label) + "=" + (record.current == 0 ? std::string("U") : std::to_string(record.current));
        if (thresholds.warning != kNoThreshold || thresholds.critical != kNoThreshold) {
            perfData += ";" + ThresholdText(thresholds.warning) + ";" + ThresholdText(thresholds.critical);
        }
        if (record.current != 0 && (hottestSlot < 0 || record.current > hottest.current)) {
            hottestSlot = static_cast<int>(slot);
            hottest = record;
        }
    }
    const std::string count = std::to_string(drives) + (drives == 1 ? " drive" : " drives");
    const std::string tail = perfData.empty() ? "\n" : "|" + perfData + "\n";
    if (hottestSlot < 0) {
        return {CheckState::Unknown, Headline(CheckState::Unknown, "no drive reports a temperature (" + count + ")") + tail};
    }
    const int degrees = hottest.current;
    CheckState state = CheckState::Ok;
    if (thresholds.critical != kNoThreshold && degrees > thresholds.critical) {
        state = CheckState::Critical;
    } else if (thresholds.warning != kNoThreshold && degrees > thresholds.warning) {
        state = CheckState::Warning;
    }
    std::string text = "hottest drive " + std::to_string(hottestSlot);
    const std::string_view model = FieldText(hottest.model);
    if (!model.empty()) {
        text += " (" + StatusText(model) + ")";
    }
    text += " at " + std::to_string(degrees) + " C of " + count;
    std::string limits;
    if (thresholds.warning != kNoThreshold) {
        limits = "warning above " + std::to_string(thresholds.warning);
    }
    if (thresholds.critical != kNoThreshold) {
        limits += (limits.empty() ? "" : ", ") + std::string("critical above ") + std::to_string(thresholds.critical);
    }
    if (!limits.empty()) {
        text += ", " + limits;  // Nagios turns a semicolon in the status text into a colon
    }
    return {state, Headline(state, text) + tail};
}

CheckResult UnknownResult(const std::string& reason)
{
    return {CheckState::Unknown, Headline(CheckState::Unknown, StatusText(reason)) + "\n"};
}
