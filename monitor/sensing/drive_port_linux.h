// The drives of a Linux machine: found in /sys/block (block_devices.h gives the order),
// opened read-only under /dev, reached with SG_IO (the SCSI ATA PASS-THROUGH(16) command,
// which libata and SAT-capable USB bridges translate), the NVMe admin-command ioctl and
// BLKGETSIZE64. Raw ATA commands need CAP_SYS_RAWIO, NVMe admin commands CAP_SYS_ADMIN.
#pragma once

#include "block_devices.h"
#include "drive_port.h"

#include <string>
#include <vector>

class LinuxDrivePort final : public DrivePort {
public:
    // Reads the drive list once from `sysBlock`; devices are opened in `devices`.
    LinuxDrivePort(const char* sysBlock, const char* devices);

    const std::vector<BlockDevice>& Drives() const { return drives_; }

    int Open(unsigned number, DriveProtocol& protocol) override;
    void Close(int descriptor) override;
    std::string Location(unsigned number) const override;
    bool Ata(int descriptor, const AtaTaskfile& registers, std::uint8_t* data, std::uint32_t dataSize,
             AtaRegisters* returned) override;
    bool NvmeAdmin(int descriptor, const NvmeAdminCommand& command, std::uint8_t* data,
                   std::uint32_t dataSize) override;
    bool Length(int descriptor, std::uint64_t& bytes) override;
    // sysfs: the identity libata keeps from its own IDENTIFY (/sys/class/ata_device/
    // devX.Y/id), else the SCSI disk's vendor, model and rev.
    bool Describe(unsigned number, DriveDescription& description) const override;

private:
    // Says once per drive why the kernel refused a command.
    void ReportRefusal(int descriptor, const char* what, int error);

    std::string sysBlock_;
    std::string devices_;
    std::vector<BlockDevice> drives_;
    struct OpenDrive {
        int descriptor = -1;
        std::string path;
        bool refusalReported = false;
    };
    std::vector<OpenDrive> open_;
};
