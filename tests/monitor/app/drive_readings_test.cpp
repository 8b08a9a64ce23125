#include "drive_readings.h"
#include "drive_table.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

TEST(CollectReadings, PresentDrivesWithATemperatureBelowTheProbeCount)
{
    auto drives = std::make_unique<DriveState>();
    drives->probeCount = 4;
    const struct {
        unsigned number;
        std::uint32_t present;
        std::uint8_t temperature;
    } slots[] = {
        {0, 1, 35}, {1, 0, 50}, {2, 1, 0}, {3, 1, 52}, {4, 1, 60},  // 4 lies beyond the probe count
    };
    for (const auto& slot : slots) {
        DriveRecord& record = drives->table[slot.number];
        record.present = slot.present;
        record.currentTemperature = slot.temperature;
        std::snprintf(record.model, sizeof record.model, "MODEL %u", slot.number);
        std::strcpy(record.capacityText, "78.15GB");
        std::strcpy(record.transferModeText, "UltraDMA-5");
    }
    const DriveReadings readings = CollectReadings(*drives);
    ASSERT_EQ(readings.count, 2u);
    EXPECT_EQ(readings.items[0].driveNumber, 0u);
    EXPECT_EQ(readings.items[0].temperature, 35);
    EXPECT_STREQ(readings.items[0].model, "MODEL 0");
    EXPECT_EQ(readings.items[1].driveNumber, 3u);
    EXPECT_EQ(readings.items[1].temperature, 52);
    EXPECT_STREQ(readings.items[1].capacityText, "78.15GB");
    EXPECT_STREQ(readings.items[1].transferModeText, "UltraDMA-5");
    EXPECT_EQ(readings.Hottest(), 52);

    drives->probeCount = 16;
    EXPECT_EQ(CollectReadings(*drives).Hottest(), 60);
    drives->probeCount = 0;
    EXPECT_EQ(CollectReadings(*drives).count, 0u);
}

// An NVMe drive's own warning temperature comes from identify bytes 266-267 (kelvin).
TEST(CollectReadings, NvmeDrivesCarryTheirOwnWarningTemperature)
{
    auto drives = std::make_unique<DriveState>();
    drives->probeCount = 4;
    std::vector<std::uint8_t> identify(4096, 0);
    identify[266] = 353 & 0xFF;  // 353 K = 80 degrees
    identify[267] = 353 >> 8;
    std::vector<std::uint8_t> unreported(4096, 0);
    const struct {
        DriveKind kind;
        const std::uint8_t* identify;
        std::uint32_t bytes;
        std::uint8_t ownWarning;
    } cases[] = {
        {DriveKind::Nvme, identify.data(), 4096, 80},
        {DriveKind::Nvme, unreported.data(), 4096, 0},
        {DriveKind::Nvme, identify.data(), 267, 0},    // too short to hold the field
        {DriveKind::Nvme, nullptr, 0, 0},
    };
    for (unsigned i = 0; i < 4; ++i) {
        DriveRecord& record = drives->table[i];
        record.present = 1;
        record.currentTemperature = 50;
        record.kind = cases[i].kind;
        record.nvmeIdentifyResult = cases[i].identify;
        record.nvmeIdentifyBytes = cases[i].bytes;
    }
    const DriveReadings readings = CollectReadings(*drives);
    ASSERT_EQ(readings.count, 4u);
    for (unsigned i = 0; i < 4; ++i) {
        EXPECT_EQ(readings.items[i].kind, DriveKind::Nvme) << i;
        EXPECT_EQ(readings.items[i].ownWarning, cases[i].ownWarning) << i;
    }
    drives->table[0].kind = DriveKind::Ata;  // identify data of an ATA drive mean nothing here
    EXPECT_EQ(CollectReadings(*drives).items[0].ownWarning, 0);
}

}  // namespace
