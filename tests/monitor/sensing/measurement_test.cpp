// The measurement cycle over simulated drives: temperatures, worst values in KELVIX.INI,
// the log line, and what one cycle costs in drive requests and file accesses.
#include "drive_database.h"
#include "drive_enumeration.h"
#include "measurement.h"
#include "sensing_test_support.h"
#include "worst_temperatures.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

namespace {

constexpr char kIni[] = "KELVIX.INI";
constexpr char kLog[] = "KELVIX.LOG";

class Measurement : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteWholeFile("HDDATA.CFG", "# test drives\nKVX = 194\n");
        ASSERT_EQ(LoadDriveDatabase("HDDATA.CFG"), 1);
        settings_.UseLog = 0;
    }
    void TearDown() override { TheDriveDatabase().Clear(); }

    // A machine with the given drives, enumerated.
    std::unique_ptr<SimulatedMachine> Start(const std::string& driveSet)
    {
        auto machine = std::make_unique<SimulatedMachine>(driveSet);
        EnumerateForLaterTicks(machine->drives);
        return machine;
    }

    WorkingDirectory directory_;
    Settings settings_;
};

std::string WorstLine(const DriveRecord& record)
{
    char key[kWorstKeySize];
    FormatWorstKey(record, key);
    return key;
}

TEST_F(Measurement, TemperatureIsTheFirstRawByte)
{
    auto machine = Start("drive 0\nmodel KVX 1\nattribute 194 0x0022 45 55 2D 00 00 00 00 00\n");
    EXPECT_EQ(MeasureAll(machine->drives, settings_), 1u);
    EXPECT_EQ(machine->drives.measuredCount, 1u);
    EXPECT_EQ(machine->drives.table[0].currentTemperature, 45);
    EXPECT_EQ(machine->drives.table[0].attributeResult, machine->drives.table[0].device.AttributeResult());
}

TEST_F(Measurement, OtherRawBytesAreIgnored)
{
    auto machine = Start("drive 0\nmodel KVX 1\nattribute 194 0x0022 45 55 28 00 14 00 3C 00\n");
    MeasureAll(machine->drives, settings_);
    EXPECT_EQ(machine->drives.table[0].currentTemperature, 40);
}

TEST_F(Measurement, WorstRisesAndIsWrittenOncePerRise)
{
    // The enumeration read takes the first value of the list.
    auto machine = Start("drive 0\nmodel KVX 1\ntemperature 194 44 45 45 46 44\n");
    DriveRecord& record = machine->drives.table[0];
    EXPECT_EQ(record.worstTemperature, 0) << "first time seen";
    struct Step {
        std::uint8_t current, worst;
        bool rises;
    } const steps[] = {{45, 45, true}, {45, 45, false}, {46, 46, true}, {44, 46, false}};
    for (const Step& step : steps) {
        SCOPED_TRACE("cycle reading " + std::to_string(step.current));
        FileActivity files;
        EXPECT_EQ(MeasureAll(machine->drives, settings_), 1u);
        EXPECT_EQ(record.currentTemperature, step.current);
        EXPECT_EQ(record.worstTemperature, step.worst);
        if (step.rises) {
            EXPECT_EQ(files.Writes(kIni), 1u);
        } else {
            EXPECT_EQ(files.Opens(kIni), 0u) << "no rise, no INI access at all";
        }
    }
    // The stored value follows the highest one.
    DriveRecord reloaded;
    std::snprintf(reloaded.model, sizeof(reloaded.model), "%s", record.model);
    std::snprintf(reloaded.firmware, sizeof(reloaded.firmware), "%s", record.firmware);
    std::snprintf(reloaded.serial, sizeof(reloaded.serial), "%s", record.serial);
    LoadWorst(reloaded);
    EXPECT_EQ(reloaded.worstTemperature, 46);
}

TEST_F(Measurement, StoredWorstIsLoadedAndEqualValueWritesNothing)
{
    WriteWholeFile(kIni, "[Worst]\nKVX 1:1.00:SIM00000000=0x2d\n");
    auto machine = Start("drive 0\nmodel KVX 1\ntemperature 194 30 45 46\n");
    DriveRecord& record = machine->drives.table[0];
    ASSERT_EQ(WorstLine(record), "KVX 1:1.00:SIM00000000");
    EXPECT_EQ(record.worstTemperature, 45);

    FileActivity files;
    MeasureAll(machine->drives, settings_);
    EXPECT_EQ(record.currentTemperature, 45);
    EXPECT_EQ(files.Opens(kIni), 0u);
    MeasureAll(machine->drives, settings_);
    EXPECT_EQ(record.worstTemperature, 46);
    EXPECT_EQ(files.Writes(kIni), 1u);
    EXPECT_NE(ReadWholeFile(kIni).find("KVX 1:1.00:SIM00000000=0x2e"), std::string::npos) << ReadWholeFile(kIni);
}

TEST_F(Measurement, FailingDriveKeepsItsValueAndIsNotCounted)
{
    auto machine = Start("drive 0\nmodel KVX 1\ntemperature 194 40 41 50\nfail attributes from 3\n"
                         "drive 1\nmodel KVX 2\ntemperature 194 30\n");
    EXPECT_EQ(MeasureAll(machine->drives, settings_), 2u);
    const DriveRecord& failing = machine->drives.table[0];
    EXPECT_EQ(failing.currentTemperature, 41);

    FileActivity files;
    EXPECT_EQ(MeasureAll(machine->drives, settings_), 1u);
    EXPECT_EQ(failing.present, 1u) << "a drive that fails later stays present";
    EXPECT_EQ(failing.currentTemperature, 41);
    EXPECT_EQ(failing.worstTemperature, 41);
    EXPECT_EQ(failing.attributeResult, nullptr);
    EXPECT_EQ(files.Opens(kIni), 0u);
}

TEST_F(Measurement, DriveWithoutTemperatureAttributeIsNotCounted)
{
    // Drive 1's model is not in the database and it has neither 194 nor 190: id 0 finds
    // a free entry whose raw byte is 0.
    auto machine = Start("drive 0\nmodel KVX 1\ntemperature 194 38\n"
                         "drive 1\nmodel UNLISTED\nattribute 231 0x0022 45 55 2D\nattribute 9 0x32 99 99 10\n");
    ASSERT_EQ(machine->drives.table[1].temperatureAttributeId, 0);
    EXPECT_EQ(MeasureAll(machine->drives, settings_), 1u);
    EXPECT_EQ(machine->drives.table[1].currentTemperature, 0);
    EXPECT_EQ(machine->drives.table[1].worstTemperature, 0);
}

TEST_F(Measurement, ZeroReadingClearsTheCurrentValueWithoutCounting)
{
    auto machine = Start("drive 0\nmodel KVX 1\ntemperature 194 40 40 0\n");
    MeasureAll(machine->drives, settings_);
    EXPECT_EQ(MeasureAll(machine->drives, settings_), 0u);
    EXPECT_EQ(machine->drives.table[0].currentTemperature, 0);
    EXPECT_EQ(machine->drives.table[0].worstTemperature, 40);
}

TEST_F(Measurement, AbsentSlotsAreZeroed)
{
    auto machine = Start("platform 1\ndrive 0\nmodel KVX 1\ntemperature 194 33\n");
    machine->drives.table[2].currentTemperature = 50;
    machine->drives.table[2].worstTemperature = 60;
    machine->drives.table[7].currentTemperature = 50;  // beyond the probe count
    MeasureAll(machine->drives, settings_);
    EXPECT_EQ(machine->drives.table[2].currentTemperature, 0);
    EXPECT_EQ(machine->drives.table[2].worstTemperature, 0);
    EXPECT_EQ(machine->drives.table[7].currentTemperature, 50) << "never touched";
}

TEST_F(Measurement, NoDrivePresentStillLogsOneValuePerProbedNumber)
{
    auto machine = Start("platform 1\n");
    settings_.UseLog = 1;
    std::snprintf(settings_.LogFile, sizeof(settings_.LogFile), "%s", kLog);
    EXPECT_EQ(MeasureAll(machine->drives, settings_), 0u);
    EXPECT_EQ(machine->drives.measuredCount, 0u);
    const std::string log = ReadWholeFile(kLog);
    EXPECT_TRUE(std::regex_match(log, std::regex(R"(\d{4}/\d\d/\d\d \d\d:\d\d:\d\d  00 00 00 00 \r?\n)"))) << log;
}

TEST_F(Measurement, LogLineListsEveryProbedDriveNumber)
{
    auto machine = Start("platform 1\ndrive 0\nmodel KVX 1\ntemperature 194 38\n"
                         "drive 1\nmodel KVX 2\ntemperature 194 41\n");
    settings_.UseLog = 1;
    std::snprintf(settings_.LogFile, sizeof(settings_.LogFile), "%s", kLog);
    MeasureAll(machine->drives, settings_);
    MeasureAll(machine->drives, settings_);
    const std::string log = ReadWholeFile(kLog);
    const std::string line = R"(\d{4}/\d\d/\d\d \d\d:\d\d:\d\d  38 41 00 00 \r?\n)";
    EXPECT_TRUE(std::regex_match(log, std::regex("(" + line + "){2}")))
        << log;
}

TEST_F(Measurement, LoggingOffTouchesNoLogFile)
{
    auto machine = Start("drive 0\nmodel KVX 1\ntemperature 194 38\n");
    FileActivity files;
    settings_.UseLog = 0;
    MeasureAll(machine->drives, settings_);
    EXPECT_FALSE(FileExists(kLog));
    EXPECT_EQ(files.Opens(kLog), 0u);
}

TEST_F(Measurement, UnwritableLogIsSilent)
{
    auto machine = Start("drive 0\nmodel KVX 1\ntemperature 194 38\n");
    settings_.UseLog = 1;
    std::snprintf(settings_.LogFile, sizeof(settings_.LogFile), "%s", "missing-dir/KELVIX.LOG");
    EXPECT_EQ(MeasureAll(machine->drives, settings_), 1u);
    EXPECT_FALSE(FileExists("missing-dir"));
}

TEST_F(Measurement, SharedIdentityKeepsOneWorstEntry)
{
    // Two drives with identical model, firmware and serial share a key.
    auto machine = Start("drive 0\nmodel KVX 1\nserial SAME\ntemperature 194 40 40 40\n"
                         "drive 1\nmodel KVX 1\nserial SAME\ntemperature 194 42 42 38\n");
    MeasureAll(machine->drives, settings_);
    const std::string ini = ReadWholeFile(kIni);
    EXPECT_NE(ini.find("KVX 1:1.00:SAME=0x2a"), std::string::npos) << ini;
    EXPECT_EQ(ini.find("KVX 1:1.00:SAME=", ini.find("KVX 1:1.00:SAME=") + 1), std::string::npos) << ini;
}

// What one cycle over sixteen present drives costs: exactly one power check, one
// attribute request and one RETURN STATUS per drive, no other drive traffic, INI writes
// only for rises, at most one log open.
TEST_F(Measurement, OneCycleOverSixteenDrives)
{
    std::string set = "platform 2\n";
    for (unsigned i = 0; i < 16; ++i) {
        set += "drive " + std::to_string(i) + "\nmodel KVX " + std::to_string(i) + "\ntemperature 194 " +
               std::to_string(30 + i) + "\n";
    }
    auto machine = Start(set);
    ASSERT_EQ(machine->drives.presentCount, 16u);
    settings_.UseLog = 1;
    std::snprintf(settings_.LogFile, sizeof(settings_.LogFile), "%s", kLog);

    struct Cycle {
        const char* name;
        bool rises;
    } const cycles[] = {{"first cycle raises every worst value", true}, {"steady temperatures", false}};
    for (const Cycle& cycle : cycles) {
        SCOPED_TRACE(cycle.name);
        machine->bus.ClearLog();
        FileActivity files;
        EXPECT_EQ(MeasureAll(machine->drives, settings_), 16u);
        EXPECT_EQ(machine->bus.RequestCount(), 48u);
        EXPECT_EQ(machine->bus.RequestCount(kSmartRcvDriveData), 16u);
        EXPECT_EQ(machine->bus.RequestCount(kSmartSendDriveCommand), 16u);
        EXPECT_EQ(machine->bus.RequestCount(kIoctlAtaPassThrough), 16u);
        EXPECT_EQ(machine->bus.OpenCount(), 0u);
        EXPECT_EQ(machine->bus.CloseCount(), 0u);
        const auto& requests = machine->bus.Requests();
        ASSERT_EQ(requests.size(), 48u);
        for (unsigned i = 0; i < 16; ++i) {
            // The power check, the attribute read, RETURN STATUS, nothing else.
            EXPECT_EQ(requests[3 * i].drive, static_cast<int>(i));
            EXPECT_EQ(requests[3 * i].code, kIoctlAtaPassThrough);
            EXPECT_EQ(requests[3 * i + 1].drive, static_cast<int>(i));
            EXPECT_EQ(requests[3 * i + 1].code, kSmartRcvDriveData);
            EXPECT_EQ(requests[3 * i + 1].record[4], kSmartReadData);
            EXPECT_EQ(requests[3 * i + 2].drive, static_cast<int>(i));
            EXPECT_EQ(requests[3 * i + 2].code, kSmartSendDriveCommand);
            EXPECT_EQ(requests[3 * i + 2].record[4], kSmartReturnStatus);
        }
        if (cycle.rises) {
            EXPECT_EQ(files.Writes(kIni), 16u);
        } else {
            EXPECT_EQ(files.Opens(kIni), 0u);
        }
        EXPECT_EQ(files.Opens(kLog), 1u);
    }
}

TEST_F(Measurement, HalfPresentMeansHalfTheRequests)
{
    std::string set;
    for (unsigned i = 0; i < 16; ++i) {
        set += "drive " + std::to_string(i) + "\nmodel KVX " + std::to_string(i) + "\ntemperature 194 35\n";
        if (i % 2 == 1) {
            set += "fail identify\n";
        }
    }
    auto machine = Start(set);
    ASSERT_EQ(machine->drives.presentCount, 8u);
    machine->bus.ClearLog();
    EXPECT_EQ(MeasureAll(machine->drives, settings_), 8u);
    EXPECT_EQ(machine->bus.RequestCount(), 24u) << "a power check, a read and RETURN STATUS each";
}

}  // namespace
