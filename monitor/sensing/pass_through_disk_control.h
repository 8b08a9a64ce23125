// The disk-control seam over a DrivePort: "\\.\PHYSICALDRIVEn" opens the port's drive n,
// and each Windows request SmartDevice and NvmeDevice make becomes the ATA or NVMe
// command it stands for, its answer laid out as the Windows driver lays it out. So the
// whole sensing core runs unchanged on the kernel's pass-through interfaces. SCSI
// pass-through carries only the USB-NVMe bridge steps usb_nvme_bridge.h builds; the
// protocol command only a Device Self-test.
#pragma once

#include "disk_control.h"
#include "drive_port.h"
#include "drive_table.h"

#include <cstdint>

class PassThroughDiskControl final : public DiskControl {
public:
    explicit PassThroughDiskControl(DrivePort& port) : port_(port) {}
    PassThroughDiskControl(const PassThroughDiskControl&) = delete;
    PassThroughDiskControl& operator=(const PassThroughDiskControl&) = delete;
    ~PassThroughDiskControl() override;

    std::uint32_t PlatformId() override { return kPlatformWindowsNT; }
    HANDLE Open(const char* name, DWORD access, DWORD share, DWORD creation) override;
    bool Request(HANDLE handle, DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
                 DWORD* bytesReturned) override;
    void Close(HANDLE handle) override;

private:
    struct Slot {
        unsigned number = 0;
        int descriptor = -1;
        DriveProtocol protocol = DriveProtocol::Ata;
    };
    Slot* SlotOf(HANDLE handle);
    std::uint32_t AtaRequest(const Slot& slot, DWORD code, const std::uint8_t* in, DWORD inSize, std::uint8_t* out,
                             DWORD outSize);
    std::uint32_t AtaPassThroughRequest(const Slot& slot, const std::uint8_t* in, DWORD inSize, std::uint8_t* out,
                                        DWORD outSize);
    std::uint32_t BridgeRequest(const Slot& slot, const std::uint8_t* in, DWORD inSize, std::uint8_t* out,
                                DWORD outSize);
    std::uint32_t DescriptorReply(const Slot& slot, std::uint8_t* out, DWORD outSize);
    std::uint32_t ProtocolCommandRequest(const Slot& slot, const std::uint8_t* in, DWORD inSize, std::uint8_t* out,
                                         DWORD outSize);
    std::uint32_t PropertyRequest(const Slot& slot, const std::uint8_t* in, DWORD inSize, std::uint8_t* out,
                                  DWORD outSize);

    DrivePort& port_;
    Slot slots_[kMaxDrives];
};

// The drive number of "\\.\PHYSICALDRIVEn" (any case, n below 16), or -1.
int PhysicalDriveNumber(const char* name);
