#include "history_export.h"

#include "history_store.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

// The drive `wanted` names, or null: a number is the drive number it had last (the one
// recorded latest when removed drives had it too).
const HistoryDrive* FindDrive(const std::vector<HistoryDrive>& drives, const char* wanted)
{
    char* end = nullptr;
    const unsigned long number = std::strtoul(wanted, &end, 10);
    const bool isNumber = wanted[0] >= '0' && wanted[0] <= '9' && *end == '\0';
    const HistoryDrive* found = nullptr;
    for (const HistoryDrive& drive : drives) {
        const char* serial = std::strrchr(drive.identity, ':');
        const bool match = isNumber ? drive.lastDriveNumber == number
                                    : std::strcmp(drive.identity, wanted) == 0 ||
                                          (serial != nullptr && std::strcmp(serial + 1, wanted) == 0);
        if (match && (found == nullptr || drive.lastTime > found->lastTime))
            found = &drive;
    }
    return found;
}

}  // namespace

std::string HistoryFilePath(const std::string& stateDirectory)
{
    return stateDirectory + "/history.kvh";
}

int PrintHistoryCsv(const std::string& path, const char* drive, const char* range, std::FILE* out,
                    std::FILE* err)
{
    HistoryRange parsed = HistoryRange::Day;
    if (range != nullptr && !ParseHistoryRange(range, parsed)) {
        std::fprintf(err, "kelvixd: --range %s: not one of hour, day, week, month, year\n", range);
        return 2;
    }
    const HistoryStore store(path, {}, HistoryAccess::ReadOnly);
    if (!store.Found()) {
        std::fprintf(err, "kelvixd: %s: no history yet (kelvixd writes it a minute after it starts)\n",
                     path.c_str());
        return 1;
    }
    if (!store.Trouble().empty()) {
        std::fprintf(err, "kelvixd: %s cannot be read: %s\n", path.c_str(), store.Trouble().c_str());
        return 1;
    }
    const std::vector<HistoryDrive> drives = store.Drives();
    const HistoryDrive* found = FindDrive(drives, drive);
    if (found == nullptr) {
        std::fprintf(err, "kelvixd: no history of drive %s in %s; it has:\n", drive, path.c_str());
        for (const HistoryDrive& known : drives)
            std::fprintf(err, "  drive %u: %s (%s to %s)\n", known.lastDriveNumber, known.identity,
                         HistoryTimeText(known.firstTime).c_str(), HistoryTimeText(known.lastTime).c_str());
        return 1;
    }
    const std::int64_t from = range == nullptr ? found->firstTime : found->lastTime - HistoryRangeSeconds(parsed);
    const std::string csv = HistoryCsv(store.Points(found->identity, from, found->lastTime, 0));
    if (std::fwrite(csv.data(), 1, csv.size(), out) != csv.size() || std::fflush(out) != 0) {
        std::fprintf(err, "kelvixd: the CSV could not be written: %s\n", std::strerror(errno));
        return 1;
    }
    return 0;
}
