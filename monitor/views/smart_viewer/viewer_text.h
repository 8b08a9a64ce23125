// The texts of the S.M.A.R.T. viewer: column tables, the drive selector lines, the 49
// drive-information rows and the attribute rows, built from the drive table so that the
// dialog only moves them into its controls. The sectors they read came from the drive:
// every byte pattern is accepted and no text grows past its fixed-size field.
#pragma once

#include "drive_table.h"
#include "smart_records.h"

#include <cstddef>
#include <cstdint>

// A list column: title and width in pixels. Each table ends with an empty title.
struct ViewerColumn {
    const char* title;
    int width;
};
extern const ViewerColumn DriveInfoColumns[];
extern const ViewerColumn AttributeColumns[];

// Bits bitCount-1 down to 0 of value as 1 and 0, a space after every bit whose index is a
// multiple of 4, then " (0x%04X)" with the whole value. bitCount is at most 32; a buffer
// of kBitPatternSize bytes always holds the whole text, a smaller one a cut one.
constexpr std::size_t kBitPatternSize = 64;
char* FormatBitPattern(char* buffer, std::size_t size, std::uint32_t value, unsigned bitCount);

// The names of status-flag bits 0 to 5 that are set ("CR OC PR ER EC SP ", each with its
// space); the other bits are not shown. kStatusFlagsSize bytes hold every combination.
constexpr std::size_t kStatusFlagsSize = 24;
char* FormatStatusFlags(char* buffer, std::size_t size, std::uint16_t flags);

// Drive selector: one line per present drive, "#%-2d %s %s %s %s %s" with the drive number,
// model, firmware, serial, capacity and transfer mode, in drive-number order (which is the
// order of the present list); " (スリープ中)" ends a sleeping drive's line, and " [注意]" or
// " [危険]" (the health word) the line of a drive `health` (by drive number) says is in
// caution or bad.
struct SelectorLine {
    std::uint32_t driveNumber;
    char text[192];
};
struct SelectorLines {
    unsigned count = 0;
    SelectorLine lines[kMaxDrives];
};
SelectorLines BuildSelectorLines(const DriveState& drives, const std::uint8_t* health = nullptr);

// The drive shown for a selector position: the present-list entry there, or kNoDrive for a
// position outside the present list (no selection, say).
std::uint32_t DriveAtSelectorPosition(const DriveState& drives, long position);

// Drive information: the driver's version record, the four reply byte counts, 41
// fields of the IDENTIFY sector, then the temperature attribute with where it came from
// (database or fallback), the way the drive is reached and its media (IDENTIFY word 217). Value texts are empty where the record has no version
// or identify result.
constexpr unsigned kDriveInfoRowCount = 52;
struct DriveInfoRow {
    const char* item;
    char value[64];
};
struct DriveInfoRows {
    DriveInfoRow rows[kDriveInfoRowCount];
};
DriveInfoRows BuildDriveInfoRows(const DriveRecord& record);

// A drive only the storage temperature property reaches has no S.M.A.R.T. records: its
// identity as the device descriptor gave it, its capacity, and how it is read.
constexpr unsigned kPropertyInfoRowCount = 6;
struct PropertyInfoRows {
    DriveInfoRow rows[kPropertyInfoRowCount];
};
PropertyInfoRows BuildPropertyInfoRows(const DriveRecord& record);

// Attribute list: one row per used entry of the attribute table (id not 0), in table
// order, with the threshold of the threshold-table entry at the same position. No rows
// without an attribute result; an empty "Warn" cell without a threshold result.
constexpr unsigned kAttributeColumnCount = 7;
struct AttributeRow {
    unsigned position;  // 0 to 29 in the attribute table
    char cells[kAttributeColumnCount][40];
};
struct AttributeRows {
    unsigned count = 0;
    AttributeRow rows[kSmartEntryCount];
};
AttributeRows BuildAttributeRows(const DriveRecord& record);
