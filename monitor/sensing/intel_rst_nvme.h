// NVMe drives behind Intel Rapid Storage Technology (VMD): the driver passes an NVMe
// admin command on through IOCTL_SCSI_MINIPORT on the controller ("\\.\ScsiN:"), in an
// SRB_IO_CONTROL record signed "IntelNvm" with Intel's own control code. The layout is
// the one public sources agree on (sedutil's windows/IntelRST.h and several readers
// built on it); no Intel document was found. Bytes only: the calls are in nvme_device.cpp.
#pragma once

#include "drive_port.h"
#include "wintypes.h"

#include <cstddef>
#include <cstdint>

constexpr DWORD kIoctlScsiGetAddress = 0x00041018;  // IOCTL_SCSI_GET_ADDRESS
constexpr DWORD kIoctlScsiMiniport = 0x0004D008;    // IOCTL_SCSI_MINIPORT
// CTL_CODE(0xF000, 0xA02, METHOD_BUFFERED, FILE_ANY_ACCESS)
constexpr DWORD kIntelNvmePassThroughCode = 0xF0002808;
constexpr std::uint8_t kIntelNvmSignature[8] = {'I', 'n', 't', 'e', 'l', 'N', 'v', 'm'};

// SRB_IO_CONTROL (28 bytes), Intel's payload (136 bytes: version, path, target, lun, the
// 64-byte command, the completion entry, queue, lengths), then 4096 data bytes.
constexpr std::size_t kRstHeaderSize = 0x1C;
constexpr std::size_t kRstCommandOffset = 0x20;
constexpr std::size_t kRstCompletionOffset = 0x60;
constexpr std::size_t kRstDataOffset = 0xA4;
constexpr std::size_t kRstDataSize = 0x1000;
constexpr std::size_t kRstRequestSize = kRstDataOffset + kRstDataSize;

// SCSI_ADDRESS as IOCTL_SCSI_GET_ADDRESS answers it: length, port, path, target, lun.
struct ScsiAddress {
    std::uint8_t port = 0;
    std::uint8_t path = 0;
    std::uint8_t target = 0;
    std::uint8_t lun = 0;
};
constexpr std::size_t kScsiAddressSize = 8;
bool ParseScsiAddress(const std::uint8_t* reply, std::uint32_t returned, ScsiAddress& address);

// Fills the whole request; false (and nothing built) for any command but identify
// controller and the health log.
bool BuildRstRequest(const NvmeAdminCommand& command, std::uint32_t dataLength, const ScsiAddress& address,
                     std::uint8_t (&request)[kRstRequestSize]);
// The driver's answer: the whole record back, its return code 0 and the completion's
// status field 0.
bool RstReplyOk(const std::uint8_t* reply, std::uint32_t returned, std::uint32_t dataLength);
