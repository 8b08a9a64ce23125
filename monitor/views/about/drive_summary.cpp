#include "drive_summary.h"

#include "drive_table.h"
#include "health_words.h"

#include <cstdio>
#include <cstring>

const SummaryColumn kSummaryColumns[kSummaryColumnCount + 1] = {
    {"#", 20},
    {"ModelNumber", 150},
    {"FirmwareRev", 100},
    {"SerialNumber", 100},
    {"Capacity", 100},
    {"Mode", 100},
    {"TMP", 30},
    {"VER", 30},
    {"IDS", 30},
    {"DA", 30},
    {"AT", 30},
    {"ID", 60},
    {"HEALTH", 60},
    {"", 0},
};

namespace {

using Cell = char[DriveSummaryRow::kCellSize];

// Copies a fixed-width text field up to its first NUL or its end, whichever comes first.
template <std::size_t FieldSize>
void CopyField(Cell& cell, const char (&field)[FieldSize])
{
    static_assert(FieldSize < sizeof(Cell), "a cell holds a whole field and a terminator");
    const void* end = std::memchr(field, '\0', FieldSize);
    const std::size_t length = end ? static_cast<const char*>(end) - field : FieldSize;
    std::memcpy(cell, field, length);
    cell[length] = '\0';
}

void Mark(Cell& cell, bool yes)
{
    std::strcpy(cell, yes ? "○" : "×");
}

// The temperature attribute and where it came from: "194 DB" (a database line), "194 FB"
// (the usual attribute, no line fitting), "-" when the drive has none.
void FormatAttributeSource(Cell& cell, const DriveRecord& record)
{
    const unsigned id = record.temperatureAttributeId;
    switch (record.temperatureSource) {
    case TemperatureSource::Database:
        std::snprintf(cell, sizeof cell, "%u DB", id);
        return;
    case TemperatureSource::Fallback:
        std::snprintf(cell, sizeof cell, "%u FB", id);
        return;
    case TemperatureSource::DatabaseNone:
    case TemperatureSource::None:
        std::strcpy(cell, "-");
        return;
    }
}

}  // namespace

DriveSummaryRow SummarizeDrive(unsigned driveNumber, const DriveRecord& record, unsigned health)
{
    DriveSummaryRow row;
    std::strcpy(row.cells[12], HealthWord(static_cast<std::uint8_t>(health)));
    std::snprintf(row.cells[0], sizeof row.cells[0], "%u", driveNumber);
    CopyField(row.cells[1], record.model);
    if (record.sleeping != 0) {
        const std::size_t used = std::strlen(row.cells[1]);
        std::snprintf(row.cells[1] + used, sizeof row.cells[1] - used, " (%s)", SleepingText());
    }
    CopyField(row.cells[2], record.firmware);
    CopyField(row.cells[3], record.serial);
    CopyField(row.cells[4], record.capacityText);
    CopyField(row.cells[5], record.transferModeText);
    Mark(row.cells[6], record.currentTemperature != 0);
    if (record.kind == DriveKind::Nvme) {
        // NVMe drives have no driver version or threshold table: identify and health log.
        Mark(row.cells[7], false);
        Mark(row.cells[8], record.nvmeIdentifyResult != nullptr);
        Mark(row.cells[9], record.healthResult != nullptr);
        Mark(row.cells[10], false);
        // How it is reached: "NVMe", or the bridge or driver that passes its commands on.
        std::snprintf(row.cells[11], sizeof row.cells[11], "%s", NvmeRouteMode(record.nvme.Route()));
        return row;
    }
    if (record.kind == DriveKind::Property) {
        // Only the storage stack answered: no S.M.A.R.T. record of any kind.
        for (unsigned cell = 7; cell <= 10; ++cell) {
            Mark(row.cells[cell], false);
        }
        std::strcpy(row.cells[11], "property");
        return row;
    }
    Mark(row.cells[7], record.versionResult != nullptr);
    Mark(row.cells[8], record.identifyResult != nullptr);
    Mark(row.cells[9], record.attributeResult != nullptr);
    Mark(row.cells[10], record.thresholdResult != nullptr);
    FormatAttributeSource(row.cells[11], record);
    return row;
}

SummaryDrives SummaryDriveNumbers(const DriveState& drives)
{
    SummaryDrives rows;
    const unsigned probeCount = drives.probeCount < kMaxDrives ? drives.probeCount : kMaxDrives;
    for (unsigned number = 0; number < probeCount; ++number) {
        if (drives.table[number].present != 0) {
            rows.numbers[rows.count++] = number;
        }
    }
    return rows;
}
