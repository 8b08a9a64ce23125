#include "driveset_file.h"
#include "drive_source.h"
#include "simulated_drive_port.h"

#include <cstdio>
#include <cstdlib>

namespace {
// Read once, before kelvixd changes folder (the name may be relative), and kept: a
// reload serves the same drives, their temperatures going on where they were.
std::unique_ptr<DriveSet> g_set;
}  // namespace

std::unique_ptr<DrivePort> OpenDrivePort(const DaemonConfig&)
{
    if (!g_set) {
        const char* path = std::getenv("KELVIXD_DRIVESET");
        if (path == nullptr || *path == '\0') {
            std::fprintf(stderr, "<3>kelvixd_sim: KELVIXD_DRIVESET names no drive-set file\n");
            return nullptr;
        }
        auto set = std::make_unique<DriveSet>();
        std::string error;
        if (!LoadDriveSet(path, *set, error)) {
            std::fprintf(stderr, "<3>kelvixd_sim: %s: %s\n", path, error.c_str());
            return nullptr;
        }
        g_set = std::move(set);
    }
    auto port = std::make_unique<SimulatedDrivePort>(*g_set);
    port->RecordCommands(false);
    return port;
}

bool DrivesChanged(const DrivePort&, const DaemonConfig&)
{
    return false;
}
