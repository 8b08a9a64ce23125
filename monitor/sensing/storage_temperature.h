// The storage stack's own answers about a drive (IOCTL_STORAGE_QUERY_PROPERTY, Windows 10
// and later): the temperature descriptor and the texts of the device descriptor. These
// reach drives whose own protocol (S.M.A.R.T., NVMe, SCSI/ATA translation) does not.
// Bytes in, values out; every length and offset is checked against the bytes returned.
#pragma once

#include "wintypes.h"

#include <cstdint>

constexpr DWORD kStorageDeviceTemperatureProperty = 52;  // STORAGE_PROPERTY_ID
// STORAGE_TEMPERATURE_DATA_DESCRIPTOR: Version, Size, CriticalTemperature (SHORT at 8),
// WarningTemperature (SHORT at 10), InfoCount (WORD at 12), reserved to 24, then the
// 16-byte STORAGE_TEMPERATURE_INFO entries: Index (WORD), Temperature, OverThreshold,
// UnderThreshold (SHORTs), three BOOLEANs, reserved.
constexpr std::uint32_t kTemperatureHeaderSize = 24;
constexpr std::uint32_t kTemperatureInfoSize = 16;
// Room for the header and eight sensors: more than any drive reports.
constexpr std::uint32_t kTemperatureReplySize = kTemperatureHeaderSize + 8 * kTemperatureInfoSize;

// What the temperature descriptor says about the disk itself (entry Index 0, the
// composite value, else the first entry), degrees Celsius. A threshold of 0 is unknown.
struct PropertyTemperature {
    std::int16_t temperature = 0;
    std::int16_t warning = 0;   // the descriptor's warning temperature, else the entry's over-threshold
    std::int16_t critical = 0;
};

// False when the reply is too short for the header and one entry, or names no entry.
bool ParseTemperatureDescriptor(const std::uint8_t* reply, std::uint32_t returned, PropertyTemperature& result);

// The temperature as the drive table keeps it (1-255), or 0 when the value is not one.
std::uint8_t UsableTemperature(std::int16_t celsius);

// The identity texts of a STORAGE_DEVICE_DESCRIPTOR, trimmed; empty when an offset is 0,
// points into the fixed fields or past the bytes returned.
struct DeviceTexts {
    char vendor[64] = {};
    char product[64] = {};
    char revision[16] = {};
    char serial[32] = {};
    std::uint32_t busType = 0;
};

// False when the reply is too short to hold the offsets and the bus type.
bool ParseDeviceTexts(const std::uint8_t* reply, std::uint32_t returned, DeviceTexts& texts);

// "vendor product", or the product alone when there is no vendor or the product already
// starts with it.
void ComposeModel(const DeviceTexts& texts, char (&model)[64]);

// A short name of a STORAGE_BUS_TYPE ("USB", "RAID", ...), "Storage" for others.
const char* BusTypeName(std::uint32_t busType);
