// The disk-control records of the S.M.A.R.T. interface, byte for byte as the Windows DDK
// declares them (packed to one byte). On Windows they come from the SDK's <winioctl.h>;
// elsewhere we declare the same layouts so the portable core and the simulated drives
// speak exactly what a driver speaks.
#pragma once

#include "wintypes.h"

#include <cstddef>
#include <cstdint>

#ifdef _WIN32
#include <winioctl.h>
#else

#pragma pack(push, 1)

struct GETVERSIONINPARAMS {
    BYTE bVersion;
    BYTE bRevision;
    BYTE bReserved;
    BYTE bIDEDeviceMap;
    DWORD fCapabilities;
    DWORD dwReserved[4];
};

struct IDEREGS {
    BYTE bFeaturesReg;
    BYTE bSectorCountReg;
    BYTE bSectorNumberReg;
    BYTE bCylLowReg;
    BYTE bCylHighReg;
    BYTE bDriveHeadReg;
    BYTE bCommandReg;
    BYTE bReserved;
};

struct SENDCMDINPARAMS {
    DWORD cBufferSize;
    IDEREGS irDriveRegs;
    BYTE bDriveNumber;
    BYTE bReserved[3];
    DWORD dwReserved[4];
    BYTE bBuffer[1];
};

struct DRIVERSTATUS {
    BYTE bDriverError;
    BYTE bIDEError;
    BYTE bReserved[2];
    DWORD dwReserved[2];
};

struct SENDCMDOUTPARAMS {
    DWORD cBufferSize;
    DRIVERSTATUS DriverStatus;
    BYTE bBuffer[1];
};

#pragma pack(pop)

#define SMART_GET_VERSION 0x00074080
#define SMART_SEND_DRIVE_COMMAND 0x0007C084
#define SMART_RCV_DRIVE_DATA 0x0007C088

#endif

static_assert(sizeof(GETVERSIONINPARAMS) == 24, "GETVERSIONINPARAMS is 24 bytes");
static_assert(sizeof(IDEREGS) == 8, "IDEREGS is 8 bytes");
static_assert(sizeof(SENDCMDINPARAMS) == 33, "SENDCMDINPARAMS is 33 packed bytes");
static_assert(sizeof(DRIVERSTATUS) == 12, "DRIVERSTATUS is 12 bytes");
static_assert(sizeof(SENDCMDOUTPARAMS) == 17, "SENDCMDOUTPARAMS is 17 packed bytes");
static_assert(offsetof(SENDCMDINPARAMS, irDriveRegs) == 4, "registers follow cBufferSize");
static_assert(offsetof(SENDCMDINPARAMS, bDriveNumber) == 12, "drive number follows the registers");
static_assert(offsetof(SENDCMDOUTPARAMS, bBuffer) == 16, "data follows the 16-byte header");

// Control codes, the same numbers as the SDK macros.
constexpr DWORD kSmartGetVersion = 0x00074080;
constexpr DWORD kSmartSendDriveCommand = 0x0007C084;
constexpr DWORD kSmartRcvDriveData = 0x0007C088;
static_assert(kSmartGetVersion == SMART_GET_VERSION, "SMART_GET_VERSION");
static_assert(kSmartSendDriveCommand == SMART_SEND_DRIVE_COMMAND, "SMART_SEND_DRIVE_COMMAND");
static_assert(kSmartRcvDriveData == SMART_RCV_DRIVE_DATA, "SMART_RCV_DRIVE_DATA");

// Byte counts of the requests: the packed input record without its bBuffer placeholder,
// the reply header alone, and the header with one 512-byte sector.
constexpr std::uint32_t kSmartRequestSize = sizeof(SENDCMDINPARAMS) - 1;  // 32
constexpr std::uint32_t kSmartStatusSize = sizeof(SENDCMDOUTPARAMS) - 1;  // 16
constexpr std::uint32_t kSmartSectorSize = 512;
constexpr std::uint32_t kSmartReplySize = kSmartStatusSize + kSmartSectorSize;  // 528
constexpr std::uint32_t kVersionRecordSize = sizeof(GETVERSIONINPARAMS);  // 24
static_assert(kSmartRequestSize == 32 && kSmartStatusSize == 16 && kSmartReplySize == 528,
              "request and reply sizes");

// ATA register values used by the requests.
constexpr BYTE kAtaIdentifyDevice = 0xEC;
constexpr BYTE kAtaIdentifyPacketDevice = 0xA1;
constexpr BYTE kAtaSmart = 0xB0;
constexpr BYTE kSmartReadData = 0xD0;
constexpr BYTE kSmartReadThresholds = 0xD1;
constexpr BYTE kSmartEnableOperations = 0xD8;
constexpr BYTE kSmartCylLow = 0x4F;
constexpr BYTE kSmartCylHigh = 0xC2;

// The attribute and threshold tables inside a S.M.A.R.T. data sector: 30 entries of 12
// bytes from data byte 2 on (bytes 0 and 1 are the structure revision).
constexpr unsigned kSmartTableOffset = 2;
constexpr unsigned kSmartEntryCount = 30;
constexpr unsigned kSmartEntrySize = 12;
constexpr unsigned kSmartRawOffset = 5;  // six raw bytes, little-endian
constexpr unsigned kSmartRawSize = 6;
