#include "drive_readings.h"
#include "drive_table.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>

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

}  // namespace
