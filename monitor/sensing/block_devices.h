// Which entries of /sys/block are drives kelvixd reads, and in what order they take the
// 16 drive numbers: SATA/SCSI disks (sda, sdb, ... sdz, sdaa, ...) first, then NVMe
// namespaces (nvme0n1, nvme0n2, nvme1n1, ... by number). Everything else - loop, ram,
// zram, md, dm, optical and virtio disks, hidden multipath paths - is left out.
#pragma once

#include "drive_port.h"

#include <cstdint>
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

// The libata device behind a SCSI disk, from the resolved path of /sys/block/X/device
// (".../ata3/host2/target2:0:0/2:0:0:0"): "dev3.0", or "dev3.1.0" behind port 1 of a port
// multiplier (channel 1), as /sys/class/ata_device names them. Empty when the path does
// not lead through an ata port.
std::string AtaDeviceName(const std::string& scsiDevicePath);

// The IDENTIFY data libata keeps from its own probe (/sys/class/ata_device/devX.Y/id: 256
// words as four hex digits each, separated by blanks) as the drive sends them, word i in
// bytes 2i (low) and 2i+1 (high). False unless there are exactly 256 words.
bool ParseCachedIdentify(const std::string& text, std::uint8_t (&sector)[512]);
