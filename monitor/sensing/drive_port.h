// DrivePort: a drive as the Linux kernel's pass-through interfaces reach it - an ATA
// command carried by the SCSI layer (SG_IO), an NVMe admin command, the disk's length.
// PassThroughDiskControl speaks the Windows requests of SmartDevice and NvmeDevice on
// top of it; the Linux implementation makes the ioctl calls, the tests answer from tables.
#pragma once

#include "sat_passthrough.h"

#include <cstdint>
#include <string>

// One NVMe admin command with a data-in buffer (or none).
struct NvmeAdminCommand {
    std::uint8_t opcode = 0;
    std::uint32_t namespaceId = 0;
    std::uint32_t cdw10 = 0;
    std::uint32_t cdw11 = 0;
};

constexpr std::uint8_t kNvmeAdminGetLogPage = 0x02;
constexpr std::uint8_t kNvmeAdminIdentify = 0x06;
// Device Self-test: CDW10 bits 3:0 say which (1 short, 2 extended); no data.
constexpr std::uint8_t kNvmeAdminDeviceSelfTest = 0x14;
constexpr std::uint32_t kNvmeShortSelfTest = 0x1;
constexpr std::uint32_t kNvmeExtendedSelfTest = 0x2;
constexpr std::uint32_t kNvmeAllNamespaces = 0xFFFFFFFF;

enum class DriveProtocol : std::uint8_t { Ata, Nvme };

// What the system knows of a drive without sending it anything, for the device
// descriptor of a drive that is asleep at start.
struct DriveDescription {
    std::string vendor;
    std::string model;
    std::string revision;
    std::string serial;
    bool usb = false;  // attached through USB storage: a bridge's inquiry names vendor and model
};

struct BridgeStep;  // usb_nvme_bridge.h

class DrivePort {
public:
    virtual ~DrivePort() = default;

    // Opens drive `number` in the port's documented order: a descriptor (>= 0) and its
    // protocol, or -1 when there is no such drive or it cannot be opened.
    virtual int Open(unsigned number, DriveProtocol& protocol) = 0;
    virtual void Close(int descriptor) = 0;
    // Where drive `number` is, for messages ("/dev/sda").
    virtual std::string Location(unsigned number) const = 0;
    // An ATA command; `data` receives `dataSize` bytes (0: a command without data).
    // False when the command was refused or the drive reported an error. A command
    // without data also gives the registers the drive left in `returned` (when not null):
    // CHECK POWER MODE answers in the count register; false when they did not come back.
    virtual bool Ata(int descriptor, const AtaTaskfile& registers, std::uint8_t* data, std::uint32_t dataSize,
                     AtaRegisters* returned) = 0;
    // An NVMe admin command reading `dataSize` bytes into `data` (0 and null: no data).
    virtual bool NvmeAdmin(int descriptor, const NvmeAdminCommand& command, std::uint8_t* data,
                           std::uint32_t dataSize) = 0;
    // The disk's length in bytes.
    virtual bool Length(int descriptor, std::uint64_t& bytes) = 0;
    // One step of a USB-NVMe bridge's vendor SCSI command, as the builders of
    // usb_nvme_bridge.h made it: `data` holds step.length bytes going out, or receives
    // them. False when the bridge refused it or did not answer; a port without bridges
    // sends nothing.
    virtual bool Bridge(int descriptor, const BridgeStep& step, std::uint8_t* data)
    {
        static_cast<void>(descriptor);
        static_cast<void>(step);
        static_cast<void>(data);
        return false;
    }
    // What the system knows of drive `number` without asking it; false when nothing.
    virtual bool Describe(unsigned number, DriveDescription& description) const
    {
        static_cast<void>(number);
        static_cast<void>(description);
        return false;
    }
};
