// The drive report built from the drive table, byte for byte.
#include "drive_fixture.h"
#include "drive_report.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using Report = std::vector<std::uint8_t>;

Report Build(const DriveState& state)
{
    std::uint8_t report[kReportBytes];
    std::memset(report, 0xCC, sizeof report);  // the builder must clear what it does not fill
    BuildDriveReport(state.table, report);
    return Report(report, report + sizeof report);
}

void PutText(Report& report, std::size_t offset, const char* text)
{
    std::memcpy(report.data() + offset, text, std::strlen(text));
}

TEST(DriveReportTest, NoDriveGivesAllZeroBytes)
{
    const auto state = MakeDriveState({});
    EXPECT_EQ(Build(*state), Report(1920, 0));
}

TEST(DriveReportTest, DriveInSlotFiveFillsOnlyItsRecord)
{
    const auto state = MakeDriveState({{5, 38, 45, "ST380011A", "3.06", "5JVABCDE"}});
    Report expected(1920, 0);
    expected[600] = 1;
    expected[601] = 38;
    expected[602] = 45;
    PutText(expected, 608, "ST380011A");
    PutText(expected, 672, "3.06");
    PutText(expected, 688, "5JVABCDE");
    EXPECT_EQ(Build(*state), expected);
}

TEST(DriveReportTest, FortyCharacterModelEndsWithNulAtRecordOffsetFortyEight)
{
    const char* model = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789WXYZ";
    ASSERT_EQ(std::strlen(model), 40u);
    const auto state = MakeDriveState({{0, 30, 31, model, "FW", "SN"}});
    const Report report = Build(*state);
    EXPECT_EQ(std::memcmp(report.data() + 8, model, 40), 0);
    for (std::size_t i = 48; i < 72; ++i) {
        EXPECT_EQ(report[i], 0) << "record offset " << i;
    }
}

TEST(DriveReportTest, PresentFlagBecomesOneAndTemperaturesPassUnchanged)
{
    auto state = MakeDriveState({{15, 255, 7, "M", "F", "S"}});
    state->table[15].present = 0x80000001;
    const Report report = Build(*state);
    const std::size_t base = 15 * 120;
    EXPECT_EQ(report[base + 0], 1);
    EXPECT_EQ(report[base + 1], 255);
    EXPECT_EQ(report[base + 2], 7);
}

TEST(DriveReportTest, UnterminatedTableTextsAreCutToEndWithNulInsideTheirFields)
{
    auto state = MakeDriveState({{15, 40, 50, "", "", ""}});
    DriveRecord& drive = state->table[15];
    std::memset(drive.model, 'M', sizeof drive.model);
    std::memset(drive.firmware, 'F', sizeof drive.firmware);
    std::memset(drive.serial, 'S', sizeof drive.serial);

    const Report report = Build(*state);
    const std::size_t base = 15 * 120;
    struct FieldCase {
        std::size_t offset;
        std::size_t width;
        char fill;
    };
    for (const FieldCase& f : {FieldCase{8, 64, 'M'}, FieldCase{72, 16, 'F'}, FieldCase{88, 32, 'S'}}) {
        SCOPED_TRACE(f.offset);
        EXPECT_EQ(std::string(report.begin() + base + f.offset, report.begin() + base + f.offset + f.width - 1),
                  std::string(f.width - 1, f.fill));
        EXPECT_EQ(report[base + f.offset + f.width - 1], 0);
    }
}

} // namespace
