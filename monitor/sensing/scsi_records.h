// The SCSI pass-through record of the Windows storage stack (IOCTL_SCSI_PASS_THROUGH),
// byte for byte as the DDK declares it. On Windows it comes from <ntddscsi.h>; elsewhere
// we declare the same layout (that of the build's pointer size) so the simulated bridges
// read exactly what a driver reads.
#pragma once

#include "wintypes.h"

#include <cstddef>
#include <cstdint>

#ifdef _WIN32
#include <ntddscsi.h>
#else

struct SCSI_PASS_THROUGH {
    std::uint16_t Length;
    BYTE ScsiStatus;
    BYTE PathId;
    BYTE TargetId;
    BYTE Lun;
    BYTE CdbLength;
    BYTE SenseInfoLength;
    BYTE DataIn;
    DWORD DataTransferLength;
    DWORD TimeOutValue;
    std::uintptr_t DataBufferOffset;  // ULONG_PTR
    DWORD SenseInfoOffset;
    BYTE Cdb[16];
};

#define IOCTL_SCSI_PASS_THROUGH 0x0004D004
#define SCSI_IOCTL_DATA_OUT 0
#define SCSI_IOCTL_DATA_IN 1
#define SCSI_IOCTL_DATA_UNSPECIFIED 2

#endif

static_assert(offsetof(SCSI_PASS_THROUGH, DataTransferLength) == 12, "transfer length at 12");
static_assert(offsetof(SCSI_PASS_THROUGH, DataBufferOffset) == (sizeof(void*) == 8 ? 24 : 20),
              "data offset after the time-out, pointer-aligned");
static_assert(offsetof(SCSI_PASS_THROUGH, Cdb) == (sizeof(void*) == 8 ? 36 : 28), "command block last");
static_assert(sizeof(SCSI_PASS_THROUGH) == (sizeof(void*) == 8 ? 56 : 44), "SCSI_PASS_THROUGH size");

constexpr DWORD kIoctlScsiPassThrough = 0x0004D004;
constexpr BYTE kScsiDataOut = 0;
constexpr BYTE kScsiDataIn = 1;
constexpr BYTE kScsiDataUnspecified = 2;
constexpr BYTE kScsiStatusGood = 0x00;
constexpr BYTE kScsiStatusCheckCondition = 0x02;

constexpr std::size_t kSatSenseSize = 32;
constexpr std::size_t kSatDataSize = 512;

// One pass-through request and its buffers in one block, as the driver wants them: the
// sense and data offsets count from the start of the record.
struct SatPassThroughBlock {
    SCSI_PASS_THROUGH header;
    BYTE sense[kSatSenseSize];
    BYTE data[kSatDataSize];
};
