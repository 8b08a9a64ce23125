// The temperature log line: its text and the exact bytes for a fixed clock.
#include "logfile.h"
#include "sensing_test_support.h"
#include "temperature_log.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::tm FixedClock()
{
    std::tm t{};
    t.tm_year = 2004 - 1900;
    t.tm_mon = 5;  // June
    t.tm_mday = 1;
    t.tm_hour = 12;
    t.tm_min = 34;
    t.tm_sec = 56;
    return t;
}

class TemperatureLog : public ::testing::Test {
protected:
    void SetUp() override { previous_ = LOGFILE::SetClock(FixedClock); }
    void TearDown() override { LOGFILE::SetClock(previous_); }

    WorkingDirectory directory_;
    LOGFILE::Clock previous_ = nullptr;
};

TEST_F(TemperatureLog, ExactBytesForAFixedClock)
{
    DriveState drives;
    drives.probeCount = 4;
    drives.table[0].currentTemperature = 38;
    drives.table[1].currentTemperature = 41;
    WriteTemperatureLog(drives, "KELVIX.LOG");
    WriteTemperatureLog(drives, "KELVIX.LOG");
    EXPECT_EQ(ReadWholeFile("KELVIX.LOG"),
              "2004/06/01 12:34:56  38 41 00 00 \r\n"
              "2004/06/01 12:34:56  38 41 00 00 \r\n");
}

struct TextCase {
    std::uint32_t probeCount;
    std::uint8_t temperatures[16];
    const char* text;
};

TEST(TemperatureLogText, OneFieldPerProbedDrive)
{
    const TextCase cases[] = {
        {4, {}, "00 00 00 00 "},
        {4, {5, 100, 255, 0, 77}, "05 100 255 00 "},
        {16, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16},
         "01 02 03 04 05 06 07 08 09 10 11 12 13 14 15 16 "},
        {16, {255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255},
         "255 255 255 255 255 255 255 255 255 255 255 255 255 255 255 255 "},
        {0, {40}, ""},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.text);
        DriveState drives;
        drives.probeCount = c.probeCount;
        for (unsigned i = 0; i < 16; ++i) {
            drives.table[i].currentTemperature = c.temperatures[i];
        }
        char text[kLogTextSize];
        FormatTemperatureLogText(drives, text);
        EXPECT_STREQ(text, c.text);
    }
}

}  // namespace
