#include "drive_summary.h"

#include "drive_judgement.h"
#include "report_record.h"

std::string FormatSummary(const std::vector<std::string>& hosts, const std::vector<HostOutcome>& outcomes,
                          const std::vector<std::string>& problems, CheckThresholds thresholds)
{
    std::string lines;
    for (std::size_t h = 0; h < hosts.size(); ++h) {
        const std::string host = StatusText(hosts[h]);
        if (const std::string note = StrayNote(outcomes[h]); !note.empty()) {
            lines += host + ": " + StatusText(note) + "\n";
        }
        if (!problems[h].empty()) {
            lines += host + ": " + StatusText(problems[h]) + "\n";
            continue;
        }
        const HostOutcome& outcome = outcomes[h];
        for (std::size_t slot = 0; slot < kReportRecords; ++slot) {
            const DriveReport record = ReportRecordAt(outcome.report, slot);
            if (record.present != 1) {
                continue;
            }
            const DriveJudgement judgement = JudgeDrive(record, outcome.health[slot], thresholds);
            std::string what;
            if (judgement.unread) {
                what = "no temperature";
            } else if (judgement.hot) {
                what = std::to_string(record.current) + " C, above " + std::to_string(judgement.limit);
            }
            if (judgement.unhealthy) {
                what += (what.empty() ? "" : ", ") + HealthText(outcome.health[slot]);
            }
            if (!what.empty()) {
                lines += host + " " + DriveName(slot, FieldText(record.model)) + ": " + what + "\n";
            }
        }
    }
    return lines;
}
