#include "warning_watch.h"

unsigned WarningWatch::Check(const DriveState& drives, std::FILE* log)
{
    unsigned hotNow = 0;
    for (unsigned i = 0; i < kMaxDrives; ++i) {
        const DriveRecord& record = drives.table[i];
        const bool hot = warning_ != 0 && record.present != 0 && record.currentTemperature != 0 &&
                         record.currentTemperature >= warning_;
        if (hot != hot_[i]) {
            if (hot) {
                std::fprintf(log, "<4>drive %u \"%s\" is at %u C (warning temperature %u C)\n", i,
                             record.model, record.currentTemperature, warning_);
            } else {
                std::fprintf(log, "<5>drive %u \"%s\" is back below the warning temperature (%u C)\n", i,
                             record.model, record.currentTemperature);
            }
            hot_[i] = hot;
        }
        hotNow += hot ? 1 : 0;
    }
    return hotNow;
}
