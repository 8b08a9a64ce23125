#include "published_drives.h"

#include <cstring>

std::string KernelDeviceName(const DrivePort& port, unsigned number)
{
    const std::string location = port.Location(number);
    const std::size_t slash = location.rfind('/');
    if (location.empty() || location[0] != '/' || slash + 1 >= location.size()) {
        return std::string();
    }
    // The Devices folder of the configuration may be elsewhere (tests); the kernel's
    // name is the same.
    return "/dev/" + location.substr(slash + 1);
}

DriveSnapshot TakeDaemonSnapshot(const DriveState& drives, const Settings& settings, const DriveJudge& judge,
                                 const DrivePort& port)
{
    DriveSnapshot snapshot = TakeSnapshot(drives, settings, judge);
    for (unsigned i = 0; i < snapshot.count && i < kMaxDrives; ++i) {
        DriveSnapshotEntry& entry = snapshot.drives[i];
        const std::string name = KernelDeviceName(port, entry.driveNumber);
        // A name that does not fit is left out rather than cut to another drive's name.
        if (name.size() < sizeof entry.device) {
            std::memcpy(entry.device, name.c_str(), name.size() + 1);
        }
    }
    return snapshot;
}
