#include "self_test_command.h"

#include "disk_control.h"
#include "drive_enumeration.h"
#include "drive_source.h"
#include "pass_through_disk_control.h"
#include "self_test_reading.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

int RunSelfTestCommand(const DaemonConfig& config, const char* drive, const char* kind)
{
    char* end = nullptr;
    const unsigned long number = std::strtoul(drive, &end, 10);
    const bool extended = std::strcmp(kind, "long") == 0;
    if (end == drive || *end != '\0' || number >= kMaxDrives || (!extended && std::strcmp(kind, "short") != 0)) {
        std::fprintf(stderr, "usage: kelvixd [-c FILE] --self-test DRIVE short|long\n");
        return 2;
    }
    const std::unique_ptr<DrivePort> port = OpenDrivePort(config);
    if (!port) {
        return 1;
    }
    PassThroughDiskControl control(*port);
    InstallDiskControl(&control);
    auto drives = std::make_unique<DriveState>();
    drives->probeCount = kMaxDrives;
    EnumerateDrives(*drives, false);
    DriveRecord& record = drives->table[number];
    if (record.kind == DriveKind::Nvme) {
        ReadSelfTestsIfDue(record, kSecondsPerDay);  // it tells of a running test only in its page
    }
    int status = 1;
    unsigned left = 0;
    if (record.present == 0) {
        std::fprintf(stderr, "drive %lu: no such drive\n", number);
    } else if (!SelfTestStartable(record)) {
        std::fprintf(stderr, "drive %lu \"%s\": it has no self-tests kelvixd can start\n", number, record.model);
    } else if (SelfTestRunning(record, left)) {
        std::fprintf(stderr, "drive %lu \"%s\": a self-test is running already (%u%% left)\n", number, record.model,
                     left);
    } else if (!StartDriveSelfTest(record, extended)) {
        std::fprintf(stderr, "drive %lu \"%s\": the drive refused to start the self-test\n", number, record.model);
    } else {
        const unsigned minutes = DriveSelfTestMinutes(record, extended);
        std::printf("drive %lu \"%s\": %s self-test started", number, record.model, extended ? "extended" : "short");
        if (minutes != 0) {
            std::printf(", about %u minutes", minutes);
        }
        std::printf("; its result goes into the drive's self-test log\n");
        status = 0;
    }
    InstallDiskControl(nullptr);
    return status;
}
