#include "viewer_text.h"

#include "attribute_names.h"
#include "drive_media.h"
#include "health_words.h"
#include "identity_text.h"
#include "storage_temperature.h"

#include <cstdio>
#include <cstring>

const ViewerColumn DriveInfoColumns[] = {
    {"Item", 220},
    {"Value", 220},
    {"", 0},
};

const ViewerColumn AttributeColumns[] = {
    {"ID", 28},
    {"Attribute", 240},
    {"Value", 44},
    {"Worst", 44},
    {"Warn", 44},
    {"Raw", 114},
    {"Flag", 108},
    {"", 0},
};

namespace {

constexpr unsigned kMaxPatternBits = 32;
constexpr unsigned kStatusFlagNames = 6;
constexpr const char* kStatusFlagName[kStatusFlagNames] = {"CR ", "OC ", "PR ", "ER ", "EC ", "SP "};

// Where a drive-information value comes from.
enum class Source {
    VersionByte,          // byte `at` of the version record
    VersionCapabilities,  // fCapabilities of the version record
    ByteCount,            // reply byte count `at`: version, identify, attributes, thresholds
    IdText,               // `length` IDENTIFY bytes from byte `at`, as an ATA string
    Word,                 // IDENTIFY word `at`
    Dword,                // IDENTIFY words `at` and `at` + 1, little-endian
    Sensing,              // how the drive is read: 0 its temperature attribute, 1 the route
};

enum class Form { Decimal, Bits, Text };

struct InfoRowSource {
    const char* item;
    Source source;
    unsigned at;
    unsigned length;
    Form form;
};

constexpr InfoRowSource kInfoRows[kDriveInfoRowCount] = {
    {"Version", Source::VersionByte, 0, 0, Form::Decimal},
    {"Revision", Source::VersionByte, 1, 0, Form::Decimal},
    {"IDEDeviceMap", Source::VersionByte, 3, 0, Form::Bits},
    {"Capabilities", Source::VersionCapabilities, 0, 0, Form::Bits},
    {"Version Status", Source::ByteCount, 0, 0, Form::Decimal},
    {"IDSector Status", Source::ByteCount, 1, 0, Form::Decimal},
    {"Drive Attribute Status", Source::ByteCount, 2, 0, Form::Decimal},
    {"Attribute Threshold Status", Source::ByteCount, 3, 0, Form::Decimal},
    {"Model Number", Source::IdText, 54, 40, Form::Text},
    {"Firmware Rev", Source::IdText, 46, 8, Form::Text},
    {"Serial Number", Source::IdText, 20, 20, Form::Text},
    {"General Configuration", Source::Word, 0, 0, Form::Bits},
    {"Cylinders", Source::Word, 1, 0, Form::Decimal},
    {"Heads", Source::Word, 3, 0, Form::Decimal},
    {"Bytes/Track", Source::Word, 4, 0, Form::Decimal},
    {"Bytes/Sector", Source::Word, 5, 0, Form::Decimal},
    {"Sectors/Track", Source::Word, 6, 0, Form::Decimal},
    {"Buffer Type", Source::Word, 20, 0, Form::Decimal},
    {"Buffer Size", Source::Word, 21, 0, Form::Decimal},
    {"ECC Size", Source::Word, 22, 0, Form::Decimal},
    {"Vendor Unique", Source::Word, 47, 0, Form::Bits},
    {"Double Word IO", Source::Word, 48, 0, Form::Decimal},
    {"Capabilities", Source::Word, 49, 0, Form::Bits},
    {"PIO Timing", Source::Word, 51, 0, Form::Bits},
    {"DMA Timing", Source::Word, 52, 0, Form::Bits},
    {"BS", Source::Word, 53, 0, Form::Bits},
    {"Current Cylinders", Source::Word, 54, 0, Form::Decimal},
    {"Current Heads", Source::Word, 55, 0, Form::Decimal},
    {"Current Sectors/Track", Source::Word, 56, 0, Form::Decimal},
    {"Current Sector Capacity", Source::Dword, 57, 0, Form::Decimal},
    {"Multi Sector Stuff", Source::Word, 59, 0, Form::Decimal},
    {"Total Addressable Sectors", Source::Dword, 60, 0, Form::Decimal},
    {"Single Word DMA", Source::Word, 62, 0, Form::Bits},
    {"Multi Word DMA", Source::Word, 63, 0, Form::Bits},
    {"Advanced PIO", Source::Word, 64, 0, Form::Bits},
    {"Multi Word DMA Cycle Time", Source::Word, 65, 0, Form::Decimal},
    {"Device Multi Word DMA Cycle Time", Source::Word, 66, 0, Form::Decimal},
    {"PIO Cycle Time without IODRY", Source::Word, 67, 0, Form::Decimal},
    {"PIO Cycle Time with IODRY", Source::Word, 68, 0, Form::Decimal},
    {"Queue Size", Source::Word, 75, 0, Form::Decimal},
    {"Major Version", Source::Word, 80, 0, Form::Bits},
    {"Minor Version", Source::Word, 81, 0, Form::Bits},
    {"Command Set 1", Source::Word, 82, 0, Form::Bits},
    {"Command Set 2", Source::Word, 83, 0, Form::Bits},
    {"Command Status 1", Source::Word, 85, 0, Form::Bits},
    {"Command Status 2", Source::Word, 86, 0, Form::Bits},
    {"Ultra DMA", Source::Word, 88, 0, Form::Bits},
    {"Hardware Reset", Source::Word, 93, 0, Form::Bits},
    {"Automatic Acoustic Management", Source::Word, 94, 0, Form::Bits},
    {"Temperature Attribute", Source::Sensing, 0, 0, Form::Text},
    {"Connection", Source::Sensing, 1, 0, Form::Text},
    {"Media", Source::Sensing, 2, 0, Form::Text},
};

// The number a value row shows, or false when the record lacks its source.
bool RowNumber(const DriveRecord& record, const InfoRowSource& row, std::uint32_t& number)
{
    const GETVERSIONINPARAMS* version = record.versionResult;
    const std::uint8_t* identify = record.identifyResult;
    switch (row.source) {
    case Source::VersionByte: {
        if (version == nullptr) return false;
        const BYTE bytes[4] = {version->bVersion, version->bRevision, version->bReserved, version->bIDEDeviceMap};
        number = bytes[row.at];
        return true;
    }
    case Source::VersionCapabilities:
        if (version == nullptr) return false;
        number = version->fCapabilities;
        return true;
    case Source::ByteCount: {
        const std::uint32_t counts[4] = {record.versionBytes, record.identifyBytes, record.attributeBytes,
                                         record.thresholdBytes};
        number = counts[row.at];
        return true;
    }
    case Source::Word:
        if (identify == nullptr) return false;
        number = static_cast<std::uint32_t>(identify[2 * row.at]) |
                 static_cast<std::uint32_t>(identify[2 * row.at + 1]) << 8;
        return true;
    case Source::Dword:
        if (identify == nullptr) return false;
        number = static_cast<std::uint32_t>(identify[2 * row.at]) |
                 static_cast<std::uint32_t>(identify[2 * row.at + 1]) << 8 |
                 static_cast<std::uint32_t>(identify[2 * row.at + 2]) << 16 |
                 static_cast<std::uint32_t>(identify[2 * row.at + 3]) << 24;
        return true;
    case Source::IdText:
    case Source::Sensing:
        break;
    }
    return false;
}

// A drive read only through the storage temperature property: its thresholds and bus.
void FormatPropertySensing(const DriveRecord& record, unsigned at, char (&value)[64])
{
    if (at != 0) {
        std::snprintf(value, sizeof value, "storage property (%s)", BusTypeName(record.propertyBusType));
        return;
    }
    if (record.propertyWarning > 0 && record.propertyCritical > 0) {
        std::snprintf(value, sizeof value, "property (warning %d, critical %d)", record.propertyWarning,
                      record.propertyCritical);
    } else if (record.propertyWarning > 0 || record.propertyCritical > 0) {
        const bool warning = record.propertyWarning > 0;
        std::snprintf(value, sizeof value, "property (%s %d)", warning ? "warning" : "critical",
                      warning ? record.propertyWarning : record.propertyCritical);
    } else {
        std::snprintf(value, sizeof value, "property");
    }
}

void FormatSensingValue(const DriveRecord& record, unsigned at, char (&value)[64])
{
    if (at == 2) {
        std::snprintf(value, sizeof value, "%s", DescribeMedia(MediaOf(record)).c_str());
        return;
    }
    if (record.kind == DriveKind::Property) {
        FormatPropertySensing(record, at, value);
        return;
    }
    if (at == 0) {
        const unsigned id = record.temperatureAttributeId;
        switch (record.temperatureSource) {
        case TemperatureSource::Database:
            std::snprintf(value, sizeof value, "%u (database)", id);
            return;
        case TemperatureSource::Fallback:
            std::snprintf(value, sizeof value, "%u (fallback)", id);
            return;
        case TemperatureSource::DatabaseNone:
            std::snprintf(value, sizeof value, "none (database)");
            return;
        case TemperatureSource::None:
            std::snprintf(value, sizeof value, "none");
            return;
        }
        return;
    }
    switch (record.device.Route()) {
    case AtaRoute::Smart:
        std::snprintf(value, sizeof value, "S.M.A.R.T. requests");
        return;
    case AtaRoute::Sat16:
        std::snprintf(value, sizeof value, "ATA PASS-THROUGH (16)");
        return;
    case AtaRoute::Sat12:
        std::snprintf(value, sizeof value, "ATA PASS-THROUGH (12)");
        return;
    }
}

void FormatInfoValue(const DriveRecord& record, const InfoRowSource& row, char (&value)[64])
{
    value[0] = '\0';
    if (row.source == Source::Sensing) {
        FormatSensingValue(record, row.at, value);
        return;
    }
    if (row.form == Form::Text) {
        if (record.identifyResult != nullptr) {
            char text[64] = {};  // zero beyond the copied bytes: the text's terminator
            CopyIdString(text, record.identifyResult + row.at, static_cast<std::uint16_t>(row.length));
            std::memcpy(value, text, sizeof value);
        }
        return;
    }
    std::uint32_t number = 0;
    if (!RowNumber(record, row, number)) {
        return;
    }
    if (row.form == Form::Bits) {
        FormatBitPattern(value, sizeof value, number, 16);
    } else {
        std::snprintf(value, sizeof value, "%u", static_cast<unsigned>(number));
    }
}

// A fixed-width text field as a C string: up to its first NUL, never past its end.
int FieldLength(const char* field, std::size_t size)
{
    const void* nul = std::memchr(field, '\0', size);
    return static_cast<int>(nul != nullptr ? static_cast<const char*>(nul) - field : size);
}

#define KV_FIELD(f) FieldLength(f, sizeof(f)), f

}  // namespace

char* FormatBitPattern(char* buffer, std::size_t size, std::uint32_t value, unsigned bitCount)
{
    if (buffer == nullptr || size == 0) {
        return buffer;
    }
    if (bitCount > kMaxPatternBits) {
        bitCount = kMaxPatternBits;
    }
    char bits[kMaxPatternBits + kMaxPatternBits / 4 + 1] = {};
    std::size_t length = 0;
    for (unsigned bit = bitCount; bit-- > 0;) {
        bits[length++] = ((value >> bit) & 1u) != 0 ? '1' : '0';
        if (bit % 4 == 0) {
            bits[length++] = ' ';
        }
    }
    std::snprintf(buffer, size, "%s (0x%04X)", bits, static_cast<unsigned>(value));
    return buffer;
}

char* FormatStatusFlags(char* buffer, std::size_t size, std::uint16_t flags)
{
    if (buffer == nullptr || size == 0) {
        return buffer;
    }
    buffer[0] = '\0';
    std::size_t length = 0;
    for (unsigned bit = 0; bit < kStatusFlagNames; ++bit) {
        if ((flags >> bit) & 1u) {
            const int written = std::snprintf(buffer + length, size - length, "%s", kStatusFlagName[bit]);
            if (written < 0 || static_cast<std::size_t>(written) >= size - length) {
                buffer[length] = '\0';  // no part of a name
                break;
            }
            length += static_cast<std::size_t>(written);
        }
    }
    return buffer;
}

SelectorLines BuildSelectorLines(const DriveState& drives, const std::uint8_t* health)
{
    SelectorLines result;
    const std::uint32_t probeCount = drives.probeCount < kMaxDrives ? drives.probeCount : kMaxDrives;
    for (std::uint32_t i = 0; i < probeCount; ++i) {
        const DriveRecord& record = drives.table[i];
        if (record.present == 0) {
            continue;
        }
        SelectorLine& line = result.lines[result.count++];
        line.driveNumber = i;
        std::snprintf(line.text, sizeof line.text, "#%-2d %.*s %.*s %.*s %.*s %.*s", static_cast<int>(i),
            KV_FIELD(record.model), KV_FIELD(record.firmware), KV_FIELD(record.serial),
            KV_FIELD(record.capacityText), KV_FIELD(record.transferModeText));
        if (record.sleeping != 0) {
            // Its tables are those of the last read.
            const std::size_t used = std::strlen(line.text);
            std::snprintf(line.text + used, sizeof line.text - used, " (%s)", kSleepingText);
        }
        if (health != nullptr && health[i] >= 2) {  // caution or bad: a good drive's line is as it was
            const std::size_t used = std::strlen(line.text);
            std::snprintf(line.text + used, sizeof line.text - used, " [%s]", HealthWord(health[i]));
        }
    }
    return result;
}

std::uint32_t DriveAtSelectorPosition(const DriveState& drives, long position)
{
    const std::uint32_t presentCount = drives.presentCount < kMaxDrives ? drives.presentCount : kMaxDrives;
    if (position < 0 || static_cast<unsigned long>(position) >= presentCount) {
        return kNoDrive;
    }
    const std::uint32_t drive = drives.presentList[position];
    return drive < kMaxDrives ? drive : kNoDrive;
}

DriveInfoRows BuildDriveInfoRows(const DriveRecord& record)
{
    DriveInfoRows result;
    for (unsigned row = 0; row < kDriveInfoRowCount; ++row) {
        result.rows[row].item = kInfoRows[row].item;
        FormatInfoValue(record, kInfoRows[row], result.rows[row].value);
    }
    return result;
}

PropertyInfoRows BuildPropertyInfoRows(const DriveRecord& record)
{
    PropertyInfoRows result;
    const struct {
        const char* item;
        const char* text;
        std::size_t size;
    } texts[] = {{"Model Number", record.model, sizeof record.model},
                 {"Firmware Rev", record.firmware, sizeof record.firmware},
                 {"Serial Number", record.serial, sizeof record.serial},
                 {"Capacity", record.capacityText, sizeof record.capacityText}};
    unsigned row = 0;
    for (const auto& t : texts) {
        result.rows[row].item = t.item;
        std::snprintf(result.rows[row].value, sizeof result.rows[row].value, "%.*s", FieldLength(t.text, t.size), t.text);
        ++row;
    }
    result.rows[row].item = "Temperature Attribute";
    FormatPropertySensing(record, 0, result.rows[row++].value);
    result.rows[row].item = "Connection";
    FormatPropertySensing(record, 1, result.rows[row].value);
    return result;
}

AttributeRows BuildAttributeRows(const DriveRecord& record)
{
    AttributeRows result;
    const std::uint8_t* attributes = record.attributeResult;
    if (attributes == nullptr) {
        return result;
    }
    for (unsigned position = 0; position < kSmartEntryCount; ++position) {
        const std::uint8_t* entry = attributes + position * kSmartEntrySize;
        if (entry[0] == 0) {
            continue;
        }
        AttributeRow& row = result.rows[result.count++];
        row.position = position;
        auto& cells = row.cells;
        std::snprintf(cells[0], sizeof cells[0], "%3d", entry[0]);
        std::snprintf(cells[1], sizeof cells[1], "%s", GetAttributeName(entry[0]));
        std::snprintf(cells[2], sizeof cells[2], "%3d", entry[3]);
        std::snprintf(cells[3], sizeof cells[3], "%3d", entry[4]);
        if (record.thresholdResult != nullptr) {
            // The threshold at the same position; the threshold table is not searched by id.
            std::snprintf(cells[4], sizeof cells[4], "%3d", record.thresholdResult[position * kSmartEntrySize + 1]);
        } else {
            cells[4][0] = '\0';
        }
        const std::uint8_t* raw = entry + kSmartRawOffset;
        std::snprintf(cells[5], sizeof cells[5], "%02X %02X %02X %02X %02X %02X", raw[5], raw[4], raw[3], raw[2],
            raw[1], raw[0]);
        FormatStatusFlags(cells[6], sizeof cells[6], static_cast<std::uint16_t>(entry[1] | entry[2] << 8));
    }
    return result;
}
