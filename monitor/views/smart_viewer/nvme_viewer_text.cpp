#include "nvme_viewer_text.h"

#include <cstdio>
#include <cstring>

const ViewerColumn HealthColumns[] = {
    {"Health", 190},
    {"Value", 130},
    {"Unit", 140},
    {"", 0},
};

namespace {

constexpr unsigned kVendorIdOffset = 0;
constexpr unsigned kNamespaceCountOffset = 516;

void Temperature(char (&value)[64], std::uint32_t kelvin)
{
    std::snprintf(value, sizeof value, "%u K (%u ℃)", static_cast<unsigned>(kelvin),
                  static_cast<unsigned>(KelvinToCelsius(kelvin)));
}

}  // namespace

NvmeInfoRows BuildNvmeInfoRows(const DriveRecord& record)
{
    NvmeInfoRows result;
    static constexpr const char* kItems[kNvmeInfoRowCount] = {
        "IDSector Status",  "Health Log Status", "Model Number",        "Firmware Rev",
        "Serial Number",    "PCI Vendor ID",     "NVMe Version",        "Total Capacity",
        "Namespaces",       "Warning Temperature", "Critical Temperature", "Connection"};
    for (unsigned row = 0; row < kNvmeInfoRowCount; ++row) {
        result.rows[row].item = kItems[row];
        result.rows[row].value[0] = '\0';
    }
    auto& value = result.rows;
    std::snprintf(value[0].value, sizeof value[0].value, "%u", static_cast<unsigned>(record.nvmeIdentifyBytes));
    std::snprintf(value[1].value, sizeof value[1].value, "%u", static_cast<unsigned>(record.healthBytes));
    // Which way the pages came, and whether the last health read gave one worth showing.
    std::snprintf(value[11].value, sizeof value[11].value, "%s%s", NvmeRouteName(record.nvme.Route()),
                  record.healthResult == nullptr ? " (health log not readable)" : "");
    const std::uint8_t* identify = record.nvmeIdentifyResult;
    if (identify == nullptr) {
        return result;
    }
    CopyNvmeText(value[2].value, identify + kNvmeModelOffset, kNvmeModelLength);
    CopyNvmeText(value[3].value, identify + kNvmeFirmwareOffset, kNvmeFirmwareLength);
    CopyNvmeText(value[4].value, identify + kNvmeSerialOffset, kNvmeSerialLength);
    std::snprintf(value[5].value, sizeof value[5].value, "0x%04X", NvmeWord(identify + kVendorIdOffset));
    const std::uint32_t version = NvmeDword(identify + kNvmeVersionOffset);
    std::snprintf(value[6].value, sizeof value[6].value, "%u.%u.%u", static_cast<unsigned>(version >> 16),
                  static_cast<unsigned>((version >> 8) & 0xFF), static_cast<unsigned>(version & 0xFF));
    char bytes[kCounterTextSize];
    FormatCounter128(identify + kNvmeTotalCapacityOffset, bytes);
    char capacity[32];
    FormatNvmeCapacity(identify, capacity);
    std::snprintf(value[7].value, sizeof value[7].value, "%s (%s bytes)", capacity, bytes);
    std::snprintf(value[8].value, sizeof value[8].value, "%u",
                  static_cast<unsigned>(NvmeDword(identify + kNamespaceCountOffset)));
    Temperature(value[9].value, NvmeWord(identify + kNvmeWarningTempOffset));
    Temperature(value[10].value, NvmeWord(identify + kNvmeCriticalTempOffset));
    return result;
}

HealthRows BuildHealthRows(const DriveRecord& record)
{
    HealthRows result;
    const std::uint8_t* health = record.healthResult;
    if (health == nullptr) {
        return result;
    }
    for (const HealthField& field : kHealthFields) {
        const std::uint8_t* at = health + field.offset;
        std::uint8_t wide[16] = {};
        std::memcpy(wide, at, field.size);
        const bool isSensor = field.kind == HealthFieldKind::Kelvin && field.offset != kHealthCompositeTempOffset;
        if (isSensor && wide[0] == 0 && wide[1] == 0) {
            continue;  // not reported by this drive
        }
        HealthRow& row = result.rows[result.count++];
        row.offset = field.offset;
        std::snprintf(row.cells[0], sizeof row.cells[0], "%s", field.name);
        switch (field.kind) {
        case HealthFieldKind::Bits:
            FormatBitPattern(row.cells[1], sizeof row.cells[1], wide[0], 8);
            std::snprintf(row.cells[2], sizeof row.cells[2], "%s", field.unit);
            break;
        case HealthFieldKind::Kelvin: {
            const std::uint16_t kelvin = NvmeWord(wide);
            std::snprintf(row.cells[1], sizeof row.cells[1], "%u", static_cast<unsigned>(KelvinToCelsius(kelvin)));
            std::snprintf(row.cells[2], sizeof row.cells[2], "%s (%u K)", field.unit, static_cast<unsigned>(kelvin));
            break;
        }
        case HealthFieldKind::Number: {
            char number[kCounterTextSize];
            FormatCounter128(wide, number);
            std::snprintf(row.cells[1], sizeof row.cells[1], "%s", number);
            std::snprintf(row.cells[2], sizeof row.cells[2], "%s", field.unit);
            break;
        }
        }
    }
    return result;
}
