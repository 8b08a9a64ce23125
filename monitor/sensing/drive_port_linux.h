// The drives of a Linux machine: found in /sys/block (block_devices.h gives the order),
// opened read-only under /dev, reached with SG_IO (the SCSI ATA PASS-THROUGH(16) command,
// which libata and SAT-capable USB bridges translate), the NVMe admin-command ioctl and
// BLKGETSIZE64, and the USB-NVMe bridges' vendor SCSI commands through SG_IO too. Raw ATA
// and bridge commands need CAP_SYS_RAWIO, NVMe admin commands CAP_SYS_ADMIN.
#pragma once

#include "block_devices.h"
#include "drive_port.h"

#include <string>
#include <vector>

class LinuxDrivePort final : public DrivePort {
public:
    // Reads the drive list from `sysBlock`, all of it in drive order; devices are opened
    // in `devices`. The drive numbers are the list's until Serve chooses others.
    LinuxDrivePort(const char* sysBlock, const char* devices);

    // The drives found in `sysBlock` (in order), read again; `problem` says why there are none.
    static std::vector<BlockDevice> Find(const char* sysBlock, std::string& problem);
    const std::vector<BlockDevice>& Found() const { return found_; }
    // Drive number n is drives[n] from now on.
    void Serve(const std::vector<BlockDevice>& drives) { drives_ = drives; }
    const std::vector<BlockDevice>& Drives() const { return drives_; }
    // Why the last drive that failed failed (cannot be opened, a command refused), once.
    std::string TakeProblem();
    const std::string& ListProblem() const { return listProblem_; }

    int Open(unsigned number, DriveProtocol& protocol) override;
    void Close(int descriptor) override;
    std::string Location(unsigned number) const override;
    bool Ata(int descriptor, const AtaTaskfile& registers, std::uint8_t* data, std::uint32_t dataSize,
             AtaRegisters* returned) override;
    bool NvmeAdmin(int descriptor, const NvmeAdminCommand& command, std::uint8_t* data,
                   std::uint32_t dataSize) override;
    bool Length(int descriptor, std::uint64_t& bytes) override;
    // Only steps usb_nvme_bridge.h builds (checked again here): anything else is not sent.
    bool Bridge(int descriptor, const BridgeStep& step, std::uint8_t* data) override;
    // sysfs: the identity libata keeps from its own IDENTIFY (/sys/class/ata_device/
    // devX.Y/id), else the SCSI disk's vendor, model and rev; `usb` when the disk's device
    // path leads through a USB port.
    bool Describe(unsigned number, DriveDescription& description) const override;

private:
    // Keeps the first reason a command failed, for TakeProblem.
    void NoteProblem(const std::string& problem);
    // A later way's reason, kept after the first one's.
    void AddProblem(const std::string& problem);

    std::string sysBlock_;
    std::string devices_;
    std::string listProblem_;
    std::vector<BlockDevice> found_;
    std::vector<BlockDevice> drives_;
    std::vector<int> open_;
    std::string problem_;
};
