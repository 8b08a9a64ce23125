#include "warning_watch.h"

#include "change_text.h"

unsigned WarningWatch::Check(const DriveState& drives, const DriveJudge& judge, const VerdictChanges& changes,
                             std::FILE* log)
{
    unsigned hotNow = 0;
    for (unsigned i = 0; i < kMaxDrives; ++i) {
        const DriveRecord& record = drives.table[i];
        const DriveVerdict& verdict = judge.Verdict(i);
        // A drive that stops answering is told once, and its old value never as current.
        const bool lost = record.present != 0 && verdict.temperature == TemperatureState::NotAnswering;
        if (lost != lost_[i]) {
            if (lost) {
                if (record.currentTemperature != 0) {
                    std::fprintf(log, "<4>drive %u \"%s\" does not answer (no temperature; the last read was %u C)\n",
                                 i, record.model, record.currentTemperature);
                } else {
                    std::fprintf(log, "<4>drive %u \"%s\" does not answer (no temperature)\n", i, record.model);
                }
            } else if (record.present != 0) {
                std::fprintf(log, "<5>drive %u \"%s\" answers again\n", i, record.model);
            }
            lost_[i] = lost;
        }
        if (lost) {
            continue;  // neither hot nor cooled while nothing is read
        }
        const bool hot = record.present != 0 && verdict.temperature == TemperatureState::Hot;
        if (hot != hot_[i]) {
            if (hot) {
                std::fprintf(log, "<4>drive %u \"%s\" is at %u C (warning temperature %u C)\n", i,
                             record.model, record.currentTemperature, verdict.warningTemperature);
            } else {
                std::fprintf(log, "<5>drive %u \"%s\" is back below the warning temperature (%u C)\n", i,
                             record.model, record.currentTemperature);
            }
            hot_[i] = hot;
        }
        hotNow += hot ? 1 : 0;
    }
    for (unsigned i = 0; i < changes.count && i < kMaxDrives; ++i) {
        const VerdictChange& change = changes.items[i];
        char line[512];
        FormatVerdictChange(change, drives.table[change.driveNumber % kMaxDrives].model, line, sizeof line);
        std::fprintf(log, "<%d>%s\n", change.worse ? 4 : 5, line);
    }
    return hotNow;
}
