// Which entries of /sys/block are drives kelvixd reads, and in what order they take the
// 16 drive numbers: SATA/SCSI disks (sda, sdb, ... sdz, sdaa, ...) first, then NVMe
// namespaces (nvme0n1, nvme0n2, nvme1n1, ... by number). Everything else - loop, ram,
// zram, md, dm, optical and virtio disks, hidden multipath paths - is left out.
#pragma once

#include "drive_port.h"

#include <string>
#include <vector>

struct BlockDevice {
    std::string name;  // as in /sys/block and /dev
    DriveProtocol protocol = DriveProtocol::Ata;
};

// Whether `name` is a drive kelvixd reads, and how.
bool IsDriveName(const std::string& name, DriveProtocol& protocol);
// The drives among `names` (any order) in drive-number order, at most `limit` of them.
std::vector<BlockDevice> OrderDrives(const std::vector<std::string>& names, std::size_t limit);
