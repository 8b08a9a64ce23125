#include "nvme_pages.h"

#include "identity_text.h"

#include <cstdio>
#include <cstring>

namespace {
constexpr std::uint32_t kZeroCelsiusKelvin = 273;
constexpr std::uint32_t kHottestCelsius = 255;
constexpr unsigned kCounterBytes = 16;
}  // namespace

std::uint16_t NvmeWord(const std::uint8_t* bytes)
{
    return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}

std::uint32_t NvmeDword(const std::uint8_t* bytes)
{
    return static_cast<std::uint32_t>(NvmeWord(bytes)) | static_cast<std::uint32_t>(NvmeWord(bytes + 2)) << 16;
}

std::uint8_t KelvinToCelsius(std::uint32_t kelvin)
{
    if (kelvin <= kZeroCelsiusKelvin) {
        return 0;
    }
    const std::uint32_t celsius = kelvin - kZeroCelsiusKelvin;
    return static_cast<std::uint8_t>(celsius > kHottestCelsius ? kHottestCelsius : celsius);
}

std::uint8_t HealthTemperature(const std::uint8_t* health)
{
    return KelvinToCelsius(NvmeWord(health + kHealthCompositeTempOffset));
}

char* CopyNvmeText(char* destination, const std::uint8_t* source, std::uint16_t length)
{
    // The ATA rule reads its source as byte pairs; hand it the pairs swapped so that
    // both kinds of drive get exactly the same trimming.
    std::uint8_t swapped[kNvmeModelLength + 2] = {};
    const unsigned count = length < kNvmeModelLength ? length : kNvmeModelLength;
    for (unsigned i = 0; i < count; ++i) {
        swapped[i ^ 1u] = source[i];
    }
    return CopyIdString(destination, swapped, static_cast<std::uint16_t>(count));
}

namespace {

void FormatBytes(double bytes, char (&text)[32])
{
    double size = bytes * 0.000001;
    const char* unit = "MB";
    if (size >= 1000.0) {
        size *= 0.001;
        unit = "GB";
        if (size >= 1000.0) {
            size *= 0.001;
            unit = "TB";
        }
    }
    // A garbage 128-bit count would not fit the field as a plain number.
    if (size >= 1e12) {
        std::snprintf(text, sizeof text, "%.3eTB", size);
        return;
    }
    std::snprintf(text, sizeof text, "%.2f%s", size, unit);
}

}  // namespace

bool NvmeCapacityReported(const std::uint8_t* identify)
{
    const std::uint8_t* capacity = identify + kNvmeTotalCapacityOffset;
    for (unsigned i = 0; i < kCounterBytes; ++i) {
        if (capacity[i] != 0) {
            return true;
        }
    }
    return false;
}

void FormatNvmeCapacity(const std::uint8_t* identify, char (&text)[32])
{
    const std::uint8_t* capacity = identify + kNvmeTotalCapacityOffset;
    double bytes = 0.0;
    for (unsigned i = kCounterBytes; i-- > 0;) {
        bytes = bytes * 256.0 + capacity[i];
    }
    FormatBytes(bytes, text);
}

void FormatCapacityBytes(std::uint64_t bytes, char (&text)[32])
{
    FormatBytes(static_cast<double>(bytes), text);
}

void FormatCounter128(const std::uint8_t* bytes, char (&text)[kCounterTextSize])
{
    // Long division by ten of a copy, most significant byte first.
    std::uint8_t value[kCounterBytes];
    for (unsigned i = 0; i < kCounterBytes; ++i) {
        value[i] = bytes[kCounterBytes - 1 - i];
    }
    char digits[kCounterTextSize] = {};
    unsigned count = 0;
    bool nonzero = true;
    while (nonzero && count + 1 < kCounterTextSize) {
        unsigned remainder = 0;
        nonzero = false;
        for (std::uint8_t& byte : value) {
            const unsigned current = remainder * 256 + byte;
            byte = static_cast<std::uint8_t>(current / 10);
            remainder = current % 10;
            nonzero = nonzero || byte != 0;
        }
        digits[count++] = static_cast<char>('0' + remainder);
    }
    for (unsigned i = 0; i < count; ++i) {
        text[i] = digits[count - 1 - i];
    }
    text[count] = '\0';
}

const HealthField kHealthFields[kHealthFieldCount] = {
    {"critical-warning", "Critical Warning", 0, 1, HealthFieldKind::Bits, ""},
    {"temperature", "Composite Temperature", 1, 2, HealthFieldKind::Kelvin, "℃"},
    {"spare", "Available Spare", 3, 1, HealthFieldKind::Number, "%"},
    {"spare-threshold", "Available Spare Threshold", 4, 1, HealthFieldKind::Number, "%"},
    {"used", "Percentage Used", 5, 1, HealthFieldKind::Number, "%"},
    {"units-read", "Data Units Read", 32, 16, HealthFieldKind::Number, "x512000 bytes"},
    {"units-written", "Data Units Written", 48, 16, HealthFieldKind::Number, "x512000 bytes"},
    {"host-reads", "Host Read Commands", 64, 16, HealthFieldKind::Number, ""},
    {"host-writes", "Host Write Commands", 80, 16, HealthFieldKind::Number, ""},
    {"busy-minutes", "Controller Busy Time", 96, 16, HealthFieldKind::Number, "minutes"},
    {"power-cycles", "Power Cycles", 112, 16, HealthFieldKind::Number, ""},
    {"power-on-hours", "Power On Hours", 128, 16, HealthFieldKind::Number, "hours"},
    {"unsafe-shutdowns", "Unsafe Shutdowns", 144, 16, HealthFieldKind::Number, ""},
    {"media-errors", "Media and Data Integrity Errors", 160, 16, HealthFieldKind::Number, ""},
    {"error-entries", "Error Information Log Entries", 176, 16, HealthFieldKind::Number, ""},
    {"warning-minutes", "Warning Temperature Time", 192, 4, HealthFieldKind::Number, "minutes"},
    {"critical-minutes", "Critical Temperature Time", 196, 4, HealthFieldKind::Number, "minutes"},
    {"sensor1", "Temperature Sensor 1", 200, 2, HealthFieldKind::Kelvin, "℃"},
    {"sensor2", "Temperature Sensor 2", 202, 2, HealthFieldKind::Kelvin, "℃"},
    {"sensor3", "Temperature Sensor 3", 204, 2, HealthFieldKind::Kelvin, "℃"},
    {"sensor4", "Temperature Sensor 4", 206, 2, HealthFieldKind::Kelvin, "℃"},
    {"sensor5", "Temperature Sensor 5", 208, 2, HealthFieldKind::Kelvin, "℃"},
    {"sensor6", "Temperature Sensor 6", 210, 2, HealthFieldKind::Kelvin, "℃"},
    {"sensor7", "Temperature Sensor 7", 212, 2, HealthFieldKind::Kelvin, "℃"},
    {"sensor8", "Temperature Sensor 8", 214, 2, HealthFieldKind::Kelvin, "℃"},
};
