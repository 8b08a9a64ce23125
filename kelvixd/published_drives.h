// What kelvixd's export services tell: the drive snapshot KELVIX publishes, with each
// drive under its kernel name ("/dev/sda"), the name Linux clients of hddtemp expect.
#pragma once

#include "drive_judge.h"
#include "drive_port.h"
#include "drive_snapshot.h"

// "/dev/" and the last part of the port's location of drive `number`; empty when the
// location is no path (simulated drives keep KELVIX's name).
std::string KernelDeviceName(const DrivePort& port, unsigned number);

DriveSnapshot TakeDaemonSnapshot(const DriveState& drives, const Settings& settings, const DriveJudge& judge,
                                 const DrivePort& port);
