#include "warning_watch.h"

#include "change_text.h"

unsigned WarningWatch::Check(const DriveState& drives, const DriveJudge& judge, const VerdictChanges& changes,
                             std::FILE* log)
{
    unsigned hotNow = 0;
    for (unsigned i = 0; i < kMaxDrives; ++i) {
        const DriveRecord& record = drives.table[i];
        const DriveVerdict& verdict = judge.Verdict(i);
        const bool hot = record.present != 0 && verdict.temperature == TemperatureState::Hot;
        if (hot != hot_[i]) {
            if (hot) {
                std::fprintf(log, "kelvixd: warning: drive %u \"%s\" is at %u C (warning temperature %u C)\n", i,
                             record.model, record.currentTemperature, verdict.warningTemperature);
            } else {
                std::fprintf(log, "kelvixd: drive %u \"%s\" is back below the warning temperature (%u C)\n", i,
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
        std::fprintf(log, "kelvixd: %s%s\n", change.worse ? "warning: " : "", line);
    }
    return hotNow;
}
