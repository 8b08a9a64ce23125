// The status line of tempquery --check, after the conventions of the monitoring-plugins
// family (Nagios, Icinga, Naemon, Checkmk, Zabbix): one line, performance data after '|',
// and the exit code that carries the state.
#pragma once

#include "query_protocol.h"

#include <cstdint>
#include <string>
#include <string_view>

enum class CheckState { Ok = 0, Warning = 1, Critical = 2, Unknown = 3 };

struct CheckThresholds {
    int warning;   // kNoThreshold (-1) when not given
    int critical;
};

struct CheckResult {
    CheckState state;
    std::string line;  // ends with a newline
};

// A well-formed report (see ReportShapeFault). A drive hotter than the critical
// temperature makes CRITICAL, hotter than the warning one WARNING, otherwise OK; UNKNOWN
// when no drive gives a temperature. The line names the hottest drive and carries, per
// present drive, 'drive<N> <model>'=<temperature>;<warning>;<critical> (U for none).
CheckResult EvaluateReport(const std::uint8_t (&report)[kReportBytes], CheckThresholds thresholds);

// UNKNOWN with the reason (no answer, a malformed report, an unknown host, a bad command).
CheckResult UnknownResult(const std::string& reason);

// A text as it may stand in the status line: printable ASCII only, '|' (which would start
// the performance data) and every other byte replaced by '_'.
std::string StatusText(std::string_view text);

// A performance-data label: quoted, quotes doubled, '=', '|' and bytes outside printable
// ASCII replaced by '_'.
std::string PerfLabel(std::string_view text);
