#include "drive_summary.h"
#include "drive_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

void Fill(DriveRecord& record, const char* model)
{
    record.present = 1;
    std::strcpy(record.model, model);
    std::strcpy(record.firmware, "FW01");
    std::strcpy(record.serial, "SN123");
    std::strcpy(record.capacityText, "78.15GB");
    std::strcpy(record.transferModeText, "UltraDMA-5");
}

TEST(SummaryColumns, TwelveHeadersAndWidthsEndedByAnEmptyHeader)
{
    const struct {
        const char* header;
        int width;
    } expected[] = {
        {"#", 20}, {"ModelNumber", 150}, {"FirmwareRev", 100}, {"SerialNumber", 100},
        {"Capacity", 100}, {"Mode", 100}, {"TMP", 30}, {"VER", 30}, {"IDS", 30}, {"DA", 30}, {"AT", 30}, {"ID", 60},
        {"HEALTH", 60},
    };
    unsigned column = 0;
    while (kSummaryColumns[column].header[0] != '\0') {
        ASSERT_LT(column, kSummaryColumnCount);
        EXPECT_STREQ(kSummaryColumns[column].header, expected[column].header) << column;
        EXPECT_EQ(kSummaryColumns[column].width, expected[column].width) << column;
        ++column;
    }
    EXPECT_EQ(column, kSummaryColumnCount);
}

TEST(SummaryDriveNumbers, PresentDrivesBelowTheProbeCountInOrder)
{
    const struct {
        std::uint32_t probeCount;
        std::uint32_t presentMask;  // bit i: drive i present
        std::vector<unsigned> rows;
    } cases[] = {
        {4, 0b0101, {0, 2}},
        {4, 0xFFFF, {0, 1, 2, 3}},             // 4 to 15 never appear on a probe count of 4
        {4, 0xFFF0, {}},
        {16, 0x8001, {0, 15}},
        {0, 0xFFFF, {}},
        {99, 0x0006, {1, 2}},                   // a broken probe count stays inside the table
    };
    for (const auto& c : cases) {
        auto drives = std::make_unique<DriveState>();
        drives->probeCount = c.probeCount;
        for (unsigned i = 0; i < kMaxDrives; ++i) {
            drives->table[i].present = (c.presentMask >> i) & 1;
        }
        const SummaryDrives rows = SummaryDriveNumbers(*drives);
        EXPECT_EQ(std::vector<unsigned>(rows.numbers, rows.numbers + rows.count), c.rows)
            << "probe " << c.probeCount << " mask " << c.presentMask;
    }
}

TEST(SummarizeDrive, IdentityTextsAndWhatCouldBeRead)
{
    const std::uint8_t identify[512] = {};
    const std::uint8_t attributes[512] = {};
    const std::uint8_t thresholds[512] = {};
    const GETVERSIONINPARAMS version{};
    const struct {
        unsigned number;
        std::uint8_t temperature;
        bool version, identify, attributes, thresholds;
        const char* marks[5];  // TMP VER IDS DA AT
    } cases[] = {
        {0, 35, true, true, true, true, {"○", "○", "○", "○", "○"}},
        {2, 0, true, true, true, true, {"×", "○", "○", "○", "○"}},
        {15, 1, false, true, false, true, {"○", "×", "○", "×", "○"}},
        {7, 255, true, false, true, false, {"○", "○", "×", "○", "×"}},
        {3, 0, false, false, false, false, {"×", "×", "×", "×", "×"}},
    };
    for (const auto& c : cases) {
        auto record = std::make_unique<DriveRecord>();
        Fill(*record, "SIM MODEL");
        record->currentTemperature = c.temperature;
        record->versionResult = c.version ? &version : nullptr;
        record->identifyResult = c.identify ? identify : nullptr;
        record->attributeResult = c.attributes ? attributes : nullptr;
        record->thresholdResult = c.thresholds ? thresholds : nullptr;
        const DriveSummaryRow row = SummarizeDrive(c.number, *record);
        EXPECT_EQ(std::string(row.cells[0]), std::to_string(c.number));
        EXPECT_STREQ(row.cells[1], "SIM MODEL");  // filled whether or not a temperature came
        EXPECT_STREQ(row.cells[2], "FW01");
        EXPECT_STREQ(row.cells[3], "SN123");
        EXPECT_STREQ(row.cells[4], "78.15GB");
        EXPECT_STREQ(row.cells[5], "UltraDMA-5");
        for (unsigned mark = 0; mark < 5; ++mark) {
            EXPECT_STREQ(row.cells[6 + mark], c.marks[mark]) << "drive " << c.number << " column " << 6 + mark;
        }
    }
}

TEST(SummarizeDrive, SleepingDriveModelSaysSo)
{
    auto record = std::make_unique<DriveRecord>();
    Fill(*record, "SIM MODEL");
    record->currentTemperature = 41;
    record->sleeping = 1;
    DriveSummaryRow row = SummarizeDrive(1, *record);
    EXPECT_STREQ(row.cells[1], "SIM MODEL (" "\x83\x58\x83\x8A\x81\x5B\x83\x76\x92\x86" ")");
    EXPECT_STREQ(row.cells[6], "○") << "its last temperature still counts";
    // A model that fills its field leaves no room: the model stays whole.
    std::memset(record->model, 'M', sizeof record->model);
    row = SummarizeDrive(1, *record);
    EXPECT_EQ(std::string(row.cells[1]), std::string(64, 'M'));
}

TEST(SummarizeDrive, NvmeDrivesMarkIdentifyAndHealthLog)
{
    const std::uint8_t page[512] = {};
    const struct {
        bool identify, health;
        const char* marks[5];  // TMP VER IDS DA AT
    } cases[] = {
        {true, true, {"○", "×", "○", "○", "×"}},
        {true, false, {"○", "×", "○", "×", "×"}},  // its last health read failed
    };
    for (const auto& c : cases) {
        auto record = std::make_unique<DriveRecord>();
        Fill(*record, "NVME MODEL");
        record->kind = DriveKind::Nvme;
        record->currentTemperature = 40;
        record->attributeResult = page;  // not a page of this kind of drive
        record->nvmeIdentifyResult = c.identify ? page : nullptr;
        record->healthResult = c.health ? page : nullptr;
        const DriveSummaryRow row = SummarizeDrive(0, *record);
        for (unsigned mark = 0; mark < 5; ++mark) {
            EXPECT_STREQ(row.cells[6 + mark], c.marks[mark]) << "column " << 6 + mark;
        }
    }
}

TEST(SummarizeDrive, MarksAreTheCodePage932CircleAndCross)
{
    auto record = std::make_unique<DriveRecord>();
    record->currentTemperature = 40;
    const DriveSummaryRow row = SummarizeDrive(0, *record);
    EXPECT_EQ(std::string(row.cells[6]), "\x81\x9B");  // ○
    EXPECT_EQ(std::string(row.cells[7]), "\x81\x7E");  // ×
}

TEST(SummarizeDrive, UnterminatedFieldsStopAtTheirEnd)
{
    auto record = std::make_unique<DriveRecord>();
    std::memset(record->model, 'M', sizeof record->model);
    std::memset(record->firmware, 'F', sizeof record->firmware);
    std::memset(record->serial, 'S', sizeof record->serial);
    std::memset(record->capacityText, 'C', sizeof record->capacityText);
    std::memset(record->transferModeText, 'T', sizeof record->transferModeText);
    const DriveSummaryRow row = SummarizeDrive(1, *record);
    EXPECT_EQ(std::string(row.cells[1]), std::string(64, 'M'));
    EXPECT_EQ(std::string(row.cells[2]), std::string(16, 'F'));
    EXPECT_EQ(std::string(row.cells[3]), std::string(32, 'S'));
    EXPECT_EQ(std::string(row.cells[4]), std::string(32, 'C'));
    EXPECT_EQ(std::string(row.cells[5]), std::string(32, 'T'));
}

}  // namespace

namespace {

TEST(SummarizeDrive, TemperatureAttributeAndItsSource)
{
    const struct {
        DriveKind kind;
        std::uint8_t id;
        TemperatureSource source;
        const char* cell;
    } cases[] = {
        {DriveKind::Ata, 190, TemperatureSource::Database, "190 DB"},
        {DriveKind::Ata, 194, TemperatureSource::Fallback, "194 FB"},
        {DriveKind::Ata, 0, TemperatureSource::DatabaseNone, "-"},
        {DriveKind::Ata, 231, TemperatureSource::None, "-"},
        {DriveKind::Nvme, 0, TemperatureSource::None, "NVMe"},
        {DriveKind::Property, 0, TemperatureSource::None, "property"},
    };
    for (const auto& c : cases) {
        auto record = std::make_unique<DriveRecord>();
        record->kind = c.kind;
        record->temperatureAttributeId = c.id;
        record->temperatureSource = c.source;
        EXPECT_STREQ(SummarizeDrive(0, *record).cells[11], c.cell) << c.cell;
    }
}

TEST(SummarizeDrive, TheLastCellIsTheHealthWord)
{
    auto record = std::make_unique<DriveRecord>();
    record->present = 1;
    const char* words[] = {"不明", "正常", "注意", "危険"};
    for (unsigned health = 0; health < 4; ++health) {
        EXPECT_STREQ(SummarizeDrive(0, *record, health).cells[12], words[health]) << health;
    }
}

TEST(SummarizeDrive, PropertyDrivesHaveNoSmartRecords)
{
    auto record = std::make_unique<DriveRecord>();
    record->kind = DriveKind::Property;
    record->currentTemperature = 41;
    std::strcpy(record->model, "Portable SSD T7");
    const DriveSummaryRow row = SummarizeDrive(2, *record);
    EXPECT_STREQ(row.cells[1], "Portable SSD T7");
    EXPECT_STREQ(row.cells[6], "\x81\x9b");  // code page 932 circle: a temperature
    for (unsigned cell = 7; cell <= 10; ++cell) {
        EXPECT_STREQ(row.cells[cell], "\x81\x7e") << cell;  // cross
    }
}

}  // namespace
