// Reading the two NVMe pages KELVIX keeps: identify controller data (4096 bytes) and the
// SMART / health information log (512 bytes). Every byte pattern is accepted.
#pragma once

#include "nvme_records.h"

#include <cstddef>
#include <cstdint>

// Little-endian fields.
std::uint16_t NvmeWord(const std::uint8_t* bytes);
std::uint32_t NvmeDword(const std::uint8_t* bytes);

// A kelvin value as a whole degree Celsius: 0 (no temperature) for 0 K and for anything
// below 1 °C, at most 255.
std::uint8_t KelvinToCelsius(std::uint32_t kelvin);
// The composite temperature of a health log in °C, by the rule above.
std::uint8_t HealthTemperature(const std::uint8_t* health);

// Copies a space-padded ASCII field of `length` bytes (not byte-swapped) into a zeroed
// destination of at least length + 2 bytes, trimmed as the ATA identity texts are.
char* CopyNvmeText(char* destination, const std::uint8_t* source, std::uint16_t length);

// The total capacity (TNVMCAP, bytes) in the units of the ATA capacity text: 1 MB is
// 1,000,000 bytes and each step up divides by 1000.
void FormatNvmeCapacity(const std::uint8_t* identify, char (&text)[32]);
// The same for a byte count (the disk driver's length of the drive).
void FormatCapacityBytes(std::uint64_t bytes, char (&text)[32]);
// Whether the identify data give a total capacity: the field is optional, and many
// drives leave it 0.
bool NvmeCapacityReported(const std::uint8_t* identify);

// A 16-byte little-endian counter in decimal (up to 39 digits).
constexpr std::size_t kCounterTextSize = 40;
void FormatCounter128(const std::uint8_t* bytes, char (&text)[kCounterTextSize]);

// The fields of the health log: the drive-set key, the name the viewer shows, where the
// little-endian value lies and its unit. Temperatures (kind Kelvin) are shown in °C.
enum class HealthFieldKind : std::uint8_t { Number, Bits, Kelvin };
struct HealthField {
    const char* key;
    const char* name;
    unsigned offset;
    unsigned size;  // 1 to 16 bytes
    HealthFieldKind kind;
    const char* unit;
};
constexpr unsigned kHealthFieldCount = 25;
extern const HealthField kHealthFields[kHealthFieldCount];
