// The S.M.A.R.T. viewer's texts for an NVMe drive: the information rows that apply to it
// (reply sizes, identity, version, capacity, temperature thresholds) and its health log
// as rows of name, value and unit. Built from the drive table; every byte pattern of the
// pages is accepted and no text grows past its field.
#pragma once

#include "drive_table.h"
#include "nvme_pages.h"
#include "viewer_text.h"

extern const ViewerColumn HealthColumns[];

constexpr unsigned kNvmeInfoRowCount = 12;
struct NvmeInfoRows {
    DriveInfoRow rows[kNvmeInfoRowCount];
};
// Value texts are empty where the record has no identify data.
NvmeInfoRows BuildNvmeInfoRows(const DriveRecord& record);

// One row per health field, leaving out temperature sensors the drive does not report
// (0 K). No rows without a health log.
constexpr unsigned kHealthColumnCount = 3;
struct HealthRow {
    unsigned offset;  // the field's first byte in the health log
    char cells[kHealthColumnCount][kCounterTextSize + 8];
};
struct HealthRows {
    unsigned count = 0;
    HealthRow rows[kHealthFieldCount];
};
HealthRows BuildHealthRows(const DriveRecord& record);
