// The ATA pass-through record (IOCTL_ATA_PASS_THROUGH), byte for byte as the Windows SDK
// declares it. On Windows it comes from <ntddscsi.h>; elsewhere we declare the same
// layout, so the portable core and the simulated drives build exactly the bytes the
// Windows port driver reads. DataBufferOffset is pointer-sized: the record is 48 bytes
// for 64-bit programs and 40 for 32-bit ones.
#pragma once

#include "sat_passthrough.h"
#include "wintypes.h"

#include <cstddef>
#include <cstdint>

#ifdef _WIN32
#include <winioctl.h>
#include <ntddscsi.h>
#else

struct ATA_PASS_THROUGH_EX {
    std::uint16_t Length;
    std::uint16_t AtaFlags;
    BYTE PathId;
    BYTE TargetId;
    BYTE Lun;
    BYTE ReservedAsUchar;
    DWORD DataTransferLength;
    DWORD TimeOutValue;  // seconds
    DWORD ReservedAsUlong;
    std::uintptr_t DataBufferOffset;
    BYTE PreviousTaskFile[8];
    BYTE CurrentTaskFile[8];
};

#define IOCTL_ATA_PASS_THROUGH 0x0004D02C
#define ATA_FLAGS_DRDY_REQUIRED 0x01
#define ATA_FLAGS_DATA_IN 0x02
#define ATA_FLAGS_48BIT_COMMAND 0x08

#endif

constexpr DWORD kIoctlAtaPassThrough = 0x0004D02C;
static_assert(kIoctlAtaPassThrough == IOCTL_ATA_PASS_THROUGH, "IOCTL_ATA_PASS_THROUGH");
constexpr std::uint16_t kAtaFlagDrdyRequired = 0x01;
static_assert(kAtaFlagDrdyRequired == ATA_FLAGS_DRDY_REQUIRED, "ATA_FLAGS_DRDY_REQUIRED");
// Data from the drive, at DataBufferOffset; a 48-bit command's high bytes in PreviousTaskFile.
constexpr std::uint16_t kAtaFlagDataIn = 0x02;
static_assert(kAtaFlagDataIn == ATA_FLAGS_DATA_IN, "ATA_FLAGS_DATA_IN");
constexpr std::uint16_t kAtaFlag48Bit = 0x08;
static_assert(kAtaFlag48Bit == ATA_FLAGS_48BIT_COMMAND, "ATA_FLAGS_48BIT_COMMAND");

constexpr std::uint32_t kAtaPassThroughSize = sizeof(ATA_PASS_THROUGH_EX);
static_assert(kAtaPassThroughSize == 32 + 2 * sizeof(void*), "ATA_PASS_THROUGH_EX is 48 or 40 bytes");
static_assert(offsetof(ATA_PASS_THROUGH_EX, DataTransferLength) == 8, "transfer length at 8");
static_assert(offsetof(ATA_PASS_THROUGH_EX, DataBufferOffset) == (sizeof(void*) == 8 ? 24 : 20),
              "data offset after the reserved dword, pointer-aligned");
static_assert(offsetof(ATA_PASS_THROUGH_EX, CurrentTaskFile) == kAtaPassThroughSize - 8,
              "current task file ends the record");

// The eight task-file bytes: on the way in the command registers, on the way back the
// registers the drive left (error in byte 0, status in byte 6).
constexpr unsigned kTaskFeatures = 0;  // error on return
constexpr unsigned kTaskSectorCount = 1;
constexpr unsigned kTaskLbaLow = 2;
constexpr unsigned kTaskLbaMid = 3;
constexpr unsigned kTaskLbaHigh = 4;
constexpr unsigned kTaskDevice = 5;
constexpr unsigned kTaskCommand = 6;  // status on return

constexpr BYTE kAtaCheckPowerMode = 0xE5;
// kAtaStatusBusy and kAtaStatusError: the status bits, declared with the SAT records.
