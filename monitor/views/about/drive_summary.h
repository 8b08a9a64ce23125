// The about dialog's drive list: its columns, which drives get a row, and the texts of
// one row, taken from the drive table as enumeration left it.
#pragma once

struct DriveRecord;
struct DriveState;

struct SummaryColumn {
    const char* header;
    int width;  // pixels
};

constexpr unsigned kSummaryColumnCount = 13;
// The columns in display order, ended by an entry with an empty header.
extern const SummaryColumn kSummaryColumns[kSummaryColumnCount + 1];

struct DriveSummaryRow {
    // Wide enough for the widest drive text (model, 64 bytes) with its terminator.
    static constexpr unsigned kCellSize = 65;
    char cells[kSummaryColumnCount][kCellSize] = {};
};

// The row of one drive; a sleeping drive's model ends in " (スリープ中)" as far as the
// cell holds it. Drive texts are read only within their fields, terminated or not. The
// last cell is the health word of `health` (the verdict's state: 0 unknown, 1 good, 2
// caution, 3 bad).
DriveSummaryRow SummarizeDrive(unsigned driveNumber, const DriveRecord& record, unsigned health = 0);

// The drives that get a row: present ones below the probe count, in drive-number order.
struct SummaryDrives {
    static constexpr unsigned kCapacity = 16;
    unsigned numbers[kCapacity] = {};
    unsigned count = 0;
};
SummaryDrives SummaryDriveNumbers(const DriveState& drives);
