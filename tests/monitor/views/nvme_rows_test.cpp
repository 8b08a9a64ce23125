// The viewer's rows for an NVMe drive: information rows and the health log.
#include "drive_enumeration.h"
#include "nvme_viewer_text.h"
#include "sensing_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(NvmeViewerRows, InformationAndHealthOfAnEnumeratedDrive)
{
    SimulatedMachine machine("drive 0\nnvme\nmodel WD_BLACK SN850X 2000GB\ncapacity 2000398934016\n"
                             "temperature 45\nhealth used 3\nhealth power-on-hours 1234\nhealth sensor2 320\n");
    EnumerateDrives(machine.drives);
    const DriveRecord& record = machine.drives.table[0];
    ASSERT_EQ(record.present, 1u);

    const NvmeInfoRows info = BuildNvmeInfoRows(record);
    const struct {
        unsigned row;
        const char* item;
        const char* value;
    } infoCases[] = {
        {0, "IDSector Status", "4144"},
        {1, "Health Log Status", "560"},
        {2, "Model Number", "WD_BLACK SN850X 2000GB"},
        {6, "NVMe Version", "1.4.0"},
        {7, "Total Capacity", "2.00TB (2000398934016 bytes)"},
        {9, "Warning Temperature", "343 K (70 ℃)"},
        {11, "Connection", "storage query"},
    };
    for (const auto& c : infoCases) {
        EXPECT_STREQ(info.rows[c.row].item, c.item);
        EXPECT_STREQ(info.rows[c.row].value, c.value);
    }

    const HealthRows health = BuildHealthRows(record);
    ASSERT_EQ(health.count, 18u) << "17 fields and the one sensor the drive reports";
    const struct {
        unsigned row;
        const char* name;
        const char* value;
        const char* unit;
    } healthCases[] = {
        {0, "Critical Warning", "0000 0000  (0x0000)", ""},
        {1, "Composite Temperature", "45", "℃ (318 K)"},
        {4, "Percentage Used", "3", "%"},
        {11, "Power On Hours", "1234", "hours"},
        {17, "Temperature Sensor 2", "47", "℃ (320 K)"},
    };
    for (const auto& c : healthCases) {
        EXPECT_STREQ(health.rows[c.row].cells[0], c.name);
        EXPECT_STREQ(health.rows[c.row].cells[1], c.value);
        EXPECT_STREQ(health.rows[c.row].cells[2], c.unit);
    }
}

TEST(NvmeViewerRows, AnyPageStaysInsideTheCells)
{
    static std::uint8_t identify[kNvmeIdentifySize];
    static std::uint8_t health[kNvmeHealthSize];
    std::memset(identify, 0xFF, sizeof identify);
    std::memset(health, 0xFF, sizeof health);
    DriveRecord record;
    record.kind = DriveKind::Nvme;
    record.nvmeIdentifyResult = identify;
    record.healthResult = health;
    const NvmeInfoRows info = BuildNvmeInfoRows(record);
    for (const DriveInfoRow& row : info.rows) {
        EXPECT_LT(std::strlen(row.value), sizeof row.value);
    }
    EXPECT_STREQ(info.rows[9].value, "65535 K (255 ℃)");
    const HealthRows rows = BuildHealthRows(record);
    EXPECT_EQ(rows.count, kHealthFieldCount);
    EXPECT_STREQ(rows.rows[5].cells[1], "340282366920938463463374607431768211455");

    record.nvmeIdentifyResult = nullptr;
    record.healthResult = nullptr;
    EXPECT_STREQ(BuildNvmeInfoRows(record).rows[2].value, "");
    EXPECT_STREQ(BuildNvmeInfoRows(record).rows[11].value, "storage query (health log not readable)");
    EXPECT_EQ(BuildHealthRows(record).count, 0u);
}

}  // namespace
