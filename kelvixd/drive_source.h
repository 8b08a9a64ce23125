// Where kelvixd's drives come from, chosen when it is linked: kelvixd reads the machine's
// own (/sys/block and /dev), kelvixd_sim the drive-set file named by KELVIXD_DRIVESET
// (for demonstrations and the benchmark), as KELVIX and KELVIX_SIM do.
#pragma once

#include "daemon_config.h"
#include "drive_port.h"

#include <memory>

// The program's drives; null after a message when there are none to read.
std::unique_ptr<DrivePort> OpenDrivePort(const DaemonConfig& config);
