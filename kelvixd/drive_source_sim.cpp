#include "driveset_file.h"
#include "drive_source.h"
#include "simulated_drive_port.h"

#include <cstdio>
#include <cstdlib>

std::unique_ptr<DrivePort> OpenDrivePort(const DaemonConfig&)
{
    const char* path = std::getenv("KELVIXD_DRIVESET");
    if (path == nullptr || *path == '\0') {
        std::fprintf(stderr, "kelvixd_sim: KELVIXD_DRIVESET names no drive-set file\n");
        return nullptr;
    }
    auto set = std::make_unique<DriveSet>();
    std::string error;
    if (!LoadDriveSet(path, *set, error)) {
        std::fprintf(stderr, "kelvixd_sim: %s: %s\n", path, error.c_str());
        return nullptr;
    }
    auto port = std::make_unique<SimulatedDrivePort>(*set);
    port->RecordCommands(false);
    return port;
}
