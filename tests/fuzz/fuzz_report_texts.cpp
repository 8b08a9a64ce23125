// Random answers through what tempquery makes of them for scripts and monitoring systems:
// the JSON object must be valid JSON whatever the bytes, and the check's status line one
// line whose performance data parses into one well-formed entry per present drive.
#include "check_status.h"
#include "office_check.h"
#include "json_validator.h"
#include "report_json.h"
#include "report_shape.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void Require(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

// 'label'=value;warning;critical entries separated by single spaces, labels quoted with
// inner quotes doubled. Returns how many entries there were, or -1 when one is malformed.
int CountPerfEntries(const std::string& data)
{
    int entries = 0;
    std::size_t at = 0;
    while (at < data.size()) {
        if (entries > 0 && data[at++] != ' ') {
            return -1;
        }
        if (at >= data.size() || data[at++] != '\'') {
            return -1;
        }
        for (;;) {
            if (at >= data.size()) {
                return -1;
            }
            const char c = data[at++];
            if (c == '\'' && at < data.size() && data[at] == '\'') {
                ++at;
            } else if (c == '\'') {
                break;
            } else if (c == '=' || c < 0x20 || c > 0x7E) {
                return -1;
            }
        }
        if (at >= data.size() || data[at++] != '=') {
            return -1;
        }
        const std::size_t end = data.find(' ', at);
        const std::string value = data.substr(at, end == std::string::npos ? std::string::npos : end - at);
        if (value.empty() || value.find_first_not_of("0123456789U;") != std::string::npos) {
            return -1;
        }
        at += value.size();
        ++entries;
    }
    return entries;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2 || size > kReportBytes + 2) {
        return 0;
    }
    const int warning = data[0] == 255 ? -1 : data[0];
    const int critical = data[1] == 255 ? -1 : data[1];
    std::uint8_t report[kReportBytes] = {};
    std::memcpy(report, data + 2, size - 2);

    const std::string host(reinterpret_cast<const char*>(data + 2), std::min<std::size_t>(size - 2, 40));
    const std::string json = FormatReportJson(host, 10008, report);
    Require(!json.empty() && json.back() == '\n');
    Require(JsonValidator::IsValid(json));
    Require(JsonValidator::IsValid(FormatFailureJson(host, 1, HostState::TimedOut, host)));

    if (!ReportShapeFault(report, static_cast<int>(size - 2)).empty()) {
        return 0;
    }
    const CheckResult check = EvaluateReport(report, {warning, critical});
    const std::string& line = check.line;
    Require(line.find('\n') == line.size() - 1);
    int present = 0;
    for (std::size_t slot = 0; slot < kReportRecords; ++slot) {
        present += report[slot * kDriveReportBytes] == 1 ? 1 : 0;
    }
    const std::size_t bar = line.find('|');
    Require(bar == std::string::npos ? present == 0 : line.find('|', bar + 1) == std::string::npos);
    if (bar != std::string::npos) {
        Require(CountPerfEntries(line.substr(bar + 1, line.size() - bar - 2)) == present);
    }
    // The same report from a host named twice and one silent host: one status line whose
    // text holds no ';' and whose performance data has two counts and every drive twice.
    HostOutcome outcome;
    outcome.state = HostState::Answered;
    std::memcpy(outcome.report, report, kReportBytes);
    const std::vector<std::string> hosts = {host, host, "s"};
    const CheckResult office = EvaluateOffice(hosts, {outcome, outcome, HostOutcome()}, {"", "", "down"},
                                              {{warning, critical}, false});
    const std::size_t officeBar = office.line.find('|');
    Require(officeBar != std::string::npos && office.line.find(';') > officeBar);
    Require(office.line.find('\n') == office.line.size() - 1);
    Require(CountPerfEntries(office.line.substr(officeBar + 1, office.line.size() - officeBar - 2)) == 2 * present + 2);
    return 0;
}
