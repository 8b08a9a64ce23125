#include "check_status.h"

#include "drive_judgement.h"
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

} // namespace

std::string CheckHeadline(CheckState state, const std::string& text)
{
    return std::string("KELVIX ") + StateName(state) + " - " + text;
}

std::string StatusText(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        // '|' would start the performance data; Nagios turns ';' into ':'.
        out += Printable(c) && c != '|' && c != ';' ? c : '_';
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

std::string DriveName(std::size_t slot, std::string_view model)
{
    std::string name = "drive " + std::to_string(slot);
    if (!model.empty()) {
        name += " (" + StatusText(model) + ")";
    }
    return name;
}

std::string LimitsText(CheckThresholds thresholds)
{
    std::string limits;
    if (thresholds.warning != kNoThreshold) {
        limits = "warning above " + std::to_string(thresholds.warning);
    }
    if (thresholds.critical != kNoThreshold) {
        limits += (limits.empty() ? "" : ", ") + std::string("critical above ") + std::to_string(thresholds.critical);
    }
    return limits;
}

std::string PerfValue(const DriveReport& record, CheckThresholds thresholds)
{
    std::string value = record.current == 0 ? std::string("U") : std::to_string(record.current);
    if (thresholds.warning != kNoThreshold || thresholds.critical != kNoThreshold) {
        value += ";" + ThresholdText(thresholds.warning) + ";" + ThresholdText(thresholds.critical);
    }
    return value;
}

std::string HealthText(const DriveHealthView& health)
{
    std::string text = std::string("health ") + HealthStateName(health.health);
    if (!health.reason.empty()) {
        text += ": " + StatusText(health.reason);
    }
    return text;
}

CheckResult EvaluateReport(const std::uint8_t (&report)[kReportBytes], CheckThresholds thresholds,
                           const DriveHealthView* health)
{
    static const DriveHealthView kNothingKnown;
    CheckState state = CheckState::Ok;
    std::string unhealthy;
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
        const DriveHealthView& view = health != nullptr ? health[slot] : kNothingKnown;
        const DriveJudgement judgement = JudgeDrive(record, view, thresholds);
        state = WorseState(state, judgement.state);
        if (judgement.unhealthy) {
            unhealthy += ", " + DriveName(slot, FieldText(record.model)) + " " + HealthText(view);
        }
        const std::string_view model = FieldText(record.model);
        std::string label = "drive" + std::to_string(slot);
        if (!model.empty()) {
            label += ' ';
            label += model;
        }
        perfData += perfData.empty() ? "" : " ";
        perfData += PerfLabel(label) + "=" + PerfValue(record, thresholds);
        if (record.current != 0 && (hottestSlot < 0 || record.current > hottest.current)) {
            hottestSlot = static_cast<int>(slot);
            hottest = record;
        }
    }
    const std::string count = std::to_string(drives) + (drives == 1 ? " drive" : " drives");
    const std::string tail = perfData.empty() ? "\n" : "|" + perfData + "\n";
    if (hottestSlot < 0) {
        const CheckState none = WorseState(CheckState::Unknown, state);  // a bad drive still makes CRITICAL
        return {none, CheckHeadline(none, "no drive reports a temperature (" + count + ")" + unhealthy) + tail};
    }
    std::string text = "hottest " + DriveName(static_cast<std::size_t>(hottestSlot), FieldText(hottest.model)) +
                       " at " + std::to_string(hottest.current) + " C of " + count;
    const std::string limits = LimitsText(thresholds);
    if (!limits.empty()) {
        text += ", " + limits;
    }
    return {state, CheckHeadline(state, text + unhealthy) + tail};
}

CheckResult UnknownResult(const std::string& reason)
{
    return {CheckState::Unknown, CheckHeadline(CheckState::Unknown, StatusText(reason)) + "\n"};
}
