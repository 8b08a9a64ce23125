// Where kelvixd's drives come from, chosen when it is linked: kelvixd reads the machine's
// own (/sys/block and /dev), kelvixd_sim the drive-set file named by KELVIXD_DRIVESET
// (for demonstrations and the benchmark), as KELVIX and KELVIX_SIM do.
#pragma once

#include "daemon_config.h"
#include "drive_port.h"

#include <memory>

// The drives to serve, numbered from 0 without gaps. Every drive found and not served
// gets a journal line with the reason, and so does each one past the 16th. Null after
// a message when there is nothing to read from.
std::unique_ptr<DrivePort> OpenDrivePort(const DaemonConfig& config);
// Whether drives came or went since `port` was opened (one directory read; for
// simulated drives, a change of the drive-set file).
bool DrivesChanged(const DrivePort& port, const DaemonConfig& config);
