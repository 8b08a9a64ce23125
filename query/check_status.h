// The status line of tempquery --check, after the conventions of the monitoring-plugins
// family (Nagios, Icinga, Naemon, Checkmk, Zabbix): one line, performance data after '|',
// and the exit code that carries the state.
#pragma once

#include "host_outcome.h"
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

// A well-formed report (see ReportShapeFault). The worst drive's state (JudgeDrive) is the
// state; UNKNOWN when no drive gives a temperature. The line names the hottest drive and
// each unhealthy one, and carries, per present drive,
// 'drive<N> <model>'=<temperature>;<warning>;<critical> (U for none). health: per slot,
// or null when the server told nothing of it.
CheckResult EvaluateReport(const std::uint8_t (&report)[kReportBytes], CheckThresholds thresholds,
                           const DriveHealthView* health = nullptr);

// UNKNOWN with the reason (no answer, a malformed report, an unknown host, a bad command).
CheckResult UnknownResult(const std::string& reason);

// A text as it may stand in the status line: printable ASCII only, '|' (which would start
// the performance data), ';' (which Nagios changes) and every other byte replaced by '_'.
std::string StatusText(std::string_view text);

// A performance-data label: quoted, quotes doubled, '=', '|' and bytes outside printable
// ASCII replaced by '_'.
std::string PerfLabel(std::string_view text);

// Pieces of the status line that the check over many hosts shares.
std::string CheckHeadline(CheckState state, const std::string& text);  // "KELVIX <STATE> - <text>"
std::string DriveName(std::size_t slot, std::string_view model);    // "drive 3 (<model>)"
std::string LimitsText(CheckThresholds thresholds);                  // "warning above 50, critical above 60"
std::string PerfValue(const DriveReport& record, CheckThresholds thresholds);  // "41;50;60", "U"
std::string HealthText(const DriveHealthView& health);               // "health bad: <reason>"
