// The answer of the hddtemp-compatible service: one record per present drive,
//   |/dev/PhysicalDrive<n>|<model>|<temperature>|C|
// (or the entry's own device name, "/dev/sda" on Linux) concatenated on one line with nothing after the last. A drive without a temperature
// answers NA, a failed read ERR and a sleeping drive SLP, each with the unit '*'.
#pragma once

#include "drive_snapshot.h"

#include <string>

std::string BuildHddtempAnswer(const DriveSnapshot& snapshot);
