#include "storage_temperature.h"

#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <winioctl.h>
static_assert(kStorageDeviceTemperatureProperty == StorageDeviceTemperatureProperty, "StorageDeviceTemperatureProperty");
#endif

namespace {

// STORAGE_DEVICE_DESCRIPTOR offsets (the same on 32- and 64-bit Windows).
constexpr std::uint32_t kVendorIdOffset = 12;
constexpr std::uint32_t kProductIdOffset = 16;
constexpr std::uint32_t kRevisionOffset = 20;
constexpr std::uint32_t kSerialNumberOffset = 24;
constexpr std::uint32_t kBusTypeOffset = 28;
constexpr std::uint32_t kRawPropertiesOffset = 36;  // the texts follow the fixed fields

constexpr std::uint32_t kSizeOffset = 4;
constexpr std::uint32_t kCriticalOffset = 8;
constexpr std::uint32_t kWarningOffset = 10;
constexpr std::uint32_t kInfoCountOffset = 12;
constexpr std::uint32_t kInfoIndex = 0;
constexpr std::uint32_t kInfoTemperature = 2;
constexpr std::uint32_t kInfoOverThreshold = 4;

std::uint16_t Word(const std::uint8_t* at)
{
    return static_cast<std::uint16_t>(at[0] | at[1] << 8);
}

std::int16_t Short(const std::uint8_t* at)
{
    return static_cast<std::int16_t>(Word(at));
}

std::uint32_t Dword(const std::uint8_t* at)
{
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

// The text at `offset`, up to its NUL or the end of the reply, printable ASCII only,
// without leading or trailing spaces.
template <std::size_t N>
void CopyText(const std::uint8_t* reply, std::uint32_t returned, std::uint32_t offset, char (&text)[N])
{
    text[0] = '\0';
    if (offset < kRawPropertiesOffset || offset >= returned) {
        return;
    }
    std::size_t length = 0;
    for (std::uint32_t at = offset; at < returned && reply[at] != 0; ++at) {
        const char c = static_cast<char>(reply[at]);
        if (length == 0 && c == ' ') {
            continue;
        }
        if (length + 1 >= N) {
            break;
        }
        text[length++] = (reply[at] >= 0x20 && reply[at] < 0x7F) ? c : '?';
    }
    while (length > 0 && text[length - 1] == ' ') {
        --length;
    }
    text[length] = '\0';
}

}  // namespace

bool ParseTemperatureDescriptor(const std::uint8_t* reply, std::uint32_t returned, PropertyTemperature& result)
{
    result = PropertyTemperature{};
    if (reply == nullptr || returned < kTemperatureHeaderSize + kTemperatureInfoSize) {
        return false;
    }
    // Size may name more than the buffer took (a driver saying how much it has); only the
    // entries both name and the reply holds are read.
    std::uint32_t size = Dword(reply + kSizeOffset);
    if (size > returned) {
        size = returned;
    }
    if (size < kTemperatureHeaderSize + kTemperatureInfoSize) {
        return false;
    }
    std::uint32_t count = Word(reply + kInfoCountOffset);
    const std::uint32_t held = (size - kTemperatureHeaderSize) / kTemperatureInfoSize;
    if (count > held) {
        count = held;
    }
    if (count == 0) {
        return false;
    }
    const std::uint8_t* chosen = reply + kTemperatureHeaderSize;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t* entry = reply + kTemperatureHeaderSize + i * kTemperatureInfoSize;
        if (Word(entry + kInfoIndex) == 0) {
            chosen = entry;
            break;
        }
    }
    result.temperature = Short(chosen + kInfoTemperature);
    result.critical = Short(reply + kCriticalOffset);
    result.warning = Short(reply + kWarningOffset);
    if (result.warning == 0) {
        result.warning = Short(chosen + kInfoOverThreshold);
    }
    return true;
}

std::uint8_t UsableTemperature(std::int16_t celsius)
{
    return celsius >= 1 && celsius <= 255 ? static_cast<std::uint8_t>(celsius) : 0;
}

bool ParseDeviceTexts(const std::uint8_t* reply, std::uint32_t returned, DeviceTexts& texts)
{
    texts = DeviceTexts{};
    if (reply == nullptr || returned < kBusTypeOffset + 4) {
        return false;
    }
    // Offsets are from the descriptor's start and may only point into what came back.
    std::uint32_t size = Dword(reply + kSizeOffset);
    if (size == 0 || size > returned) {
        size = returned;
    }
    CopyText(reply, size, Dword(reply + kVendorIdOffset), texts.vendor);
    CopyText(reply, size, Dword(reply + kProductIdOffset), texts.product);
    CopyText(reply, size, Dword(reply + kRevisionOffset), texts.revision);
    CopyText(reply, size, Dword(reply + kSerialNumberOffset), texts.serial);
    texts.busType = Dword(reply + kBusTypeOffset);
    return true;
}

void ComposeModel(const DeviceTexts& texts, char (&model)[64])
{
    const std::size_t vendorLength = std::strlen(texts.vendor);
    if (vendorLength == 0 || std::strncmp(texts.product, texts.vendor, vendorLength) == 0 || texts.product[0] == '\0') {
        std::snprintf(model, sizeof model, "%s", texts.product[0] != '\0' ? texts.product : texts.vendor);
        return;
    }
    std::snprintf(model, sizeof model, "%s %s", texts.vendor, texts.product);
}

const char* BusTypeName(std::uint32_t busType)
{
    // STORAGE_BUS_TYPE values.
    switch (busType) {
    case 0x01: return "SCSI";
    case 0x02: return "ATAPI";
    case 0x03: return "ATA";
    case 0x04: return "IEEE 1394";
    case 0x06: return "Fibre";
    case 0x07: return "USB";
    case 0x08: return "RAID";
    case 0x09: return "iSCSI";
    case 0x0A: return "SAS";
    case 0x0B: return "SATA";
    case 0x0C: return "SD";
    case 0x0D: return "MMC";
    case 0x0E: return "Virtual";
    case 0x11: return "NVMe";
    case 0x12: return "SCM";
    case 0x13: return "UFS";
    default: return "Storage";
    }
}
