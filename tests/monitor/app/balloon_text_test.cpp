#include "balloon_text.h"
#include "language.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

// "℃" in code page 932.
#define DEG "\x81\x8E"
// "スリープ中" in code page 932.
#define ASLEEP "\x83\x58\x83\x8A\x81\x5B\x83\x76\x92\x86"

namespace {

DriveReadings Readings(std::initializer_list<DriveReading> items)
{
    DriveReadings readings;
    for (const DriveReading& item : items) {
        readings.Add(item);
    }
    return readings;
}

DriveReading Drive(unsigned number, unsigned temperature, const char* model)
{
    DriveReading reading;
    reading.driveNumber = number;
    reading.temperature = static_cast<std::uint8_t>(temperature);
    reading.model = model;
    return reading;
}

WarningLimits Limits(unsigned ata)
{
    WarningLimits limits;
    limits.ata = ata;
    return limits;
}

TEST(InfoBalloon, ListsEveryDriveWithoutFinalLineFeed)
{
    const DriveReadings readings = Readings({Drive(0, 35, "ALPHA 1"), Drive(3, 7, "BETA"), Drive(12, 52, "GAMMA")});
    const BalloonContent content = InfoBalloonContent(readings, true, 60);
    EXPECT_EQ(content.text, "#0  35" DEG " : ALPHA 1\n#3   7" DEG " : BETA\n#12 52" DEG " : GAMMA");
    EXPECT_EQ(content.title, "60秒間隔で計測");
    EXPECT_EQ(content.iconFlags, kBalloonIconInfo);
}

TEST(InfoBalloon, ADriveInCautionOrBadSaysSoAfterItsName)
{
    DriveReadings readings = Readings({Drive(0, 35, "GOOD"), Drive(1, 36, "WORN"), Drive(2, 37, "FAILING")});
    readings.items[0].health = 1;
    readings.items[1].health = 2;
    readings.items[2].health = 3;
    EXPECT_EQ(InfoBalloonContent(readings, true, 60).text,
        "#0  35" DEG " : GOOD\n#1  36" DEG " : WORN [注意]\n#2  37" DEG " : FAILING [危険]");
}

TEST(InfoBalloon, StoppedTitleAndErrorIcon)
{
    const BalloonContent content = InfoBalloonContent(Readings({Drive(1, 40, "M")}), false, 60);
    EXPECT_EQ(content.text, "#1  40" DEG " : M");
    EXPECT_EQ(content.title, "\x8C\x76\x91\xAA\x92\xE2\x8E\x7E\x92\x86");  // 計測停止中
    EXPECT_EQ(content.iconFlags, kBalloonIconError);
}

TEST(InfoBalloon, NoDrivesNoBalloon)
{
    EXPECT_TRUE(InfoBalloonContent(DriveReadings{}, true, 60).Empty());
}

// Every drive is named or counted: in drive order while all fit the 255 bytes, else the
// hottest first, whole lines, and "ほか N 台" for the rest.
TEST(InfoBalloon, NamesEveryDriveOrCountsThoseLeftOut)
{
    const std::string m40(40, 'M');
    const struct Case {
        const char* name;
        unsigned drives, sleeping;
        std::string model;
        std::string expected;
    } cases[] = {
        {"all fit", 5, 2, "WDC WD40EFRX-68N32N0",
         "#0  30" DEG " : WDC WD40EFRX-68N32N0 (" ASLEEP ")\n#1  41" DEG " : WDC WD40EFRX-68N32N0 (" ASLEEP ")\n"
         "#2  32" DEG " : WDC WD40EFRX-68N32N0\n#3  43" DEG " : WDC WD40EFRX-68N32N0\n"
         "#4  34" DEG " : WDC WD40EFRX-68N32N0"},
        {"ten drives, two sleeping", 10, 2, "WDC WD40EFRX-68N32N0",
         "#9  49" DEG " : WDC WD40EFRX-68N32N0\n#7  47" DEG " : WDC WD40EFRX-68N32N0\n"
         "#5  45" DEG " : WDC WD40EFRX-68N32N0\n#3  43" DEG " : WDC WD40EFRX-68N32N0\n"
         "#1  41" DEG " : WDC WD40EFRX-68N32N0 (" ASLEEP ")\n#8  38" DEG " : WDC WD40EFRX-68N32N0\n"
         "#6  36" DEG " : WDC WD40EFRX-68N32N0\nほか 3 台"},
        {"long models", 6, 0, m40,
         "#5  45" DEG " : " + m40 + "\n#3  43" DEG " : " + m40 + "\n#1  41" DEG " : " + m40 + "\n#4  34" DEG " : " + m40 +
         "\nほか 2 台"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DriveReadings readings;
        for (unsigned i = 0; i < c.drives; ++i) {
            readings.Add(Drive(i, 30 + i + (i % 2) * 10, c.model.c_str()));  // odd drives hotter
            readings.items[i].sleeping = i < c.sleeping;
        }
        const std::string text = InfoBalloonContent(readings, true, 60).text;
        EXPECT_EQ(text, c.expected);
        EXPECT_LE(text.size(), 255u);
    }
    // The warning balloon likewise.
    DriveReadings hot;
    for (unsigned i = 0; i < 8; ++i) {
        hot.Add(Drive(i, 50 + i, m40.c_str()));
    }
    EXPECT_EQ(WarningBalloonContent(hot, 1, Limits(40)).text.substr(0, 54), "#7  57" DEG " : " + m40 + "\n#6");
    EXPECT_NE(WarningBalloonContent(hot, 1, Limits(40)).text.find("\nほか 4 台"), std::string::npos);
}

TEST(WarningBalloon, OnlyDrivesAboveTheWarningTemperature)
{
    const DriveReadings readings = Readings({Drive(0, 35, "COOL"), Drive(1, 52, "HOT"), Drive(2, 40, "EDGE")});
    const BalloonContent content = WarningBalloonContent(readings, 1, Limits(40));
    EXPECT_EQ(content.text, "#1  52" DEG " : HOT");
    EXPECT_EQ(content.title, "40" DEG "を超えています");
    EXPECT_EQ(content.iconFlags, kBalloonIconWarning);
}

TEST(WarningBalloon, NothingWhenDisabledOrNoDriveIsHot)
{
    const DriveReadings readings = Readings({Drive(0, 35, "COOL"), Drive(1, 52, "HOT")});
    EXPECT_TRUE(WarningBalloonContent(readings, 0, Limits(40)).Empty());
    EXPECT_TRUE(WarningBalloonContent(readings, 1, Limits(52)).Empty());
    EXPECT_FALSE(WarningBalloonContent(readings, -1, Limits(51)).Empty());
}

TEST(SleepingDrives, MarkedInTheListLeftOutOfWarningsCountedAsHottest)
{
    DriveReading hotSleeper = Drive(2, 58, "SLEEPER");
    hotSleeper.sleeping = true;
    struct Case {
        const char* name;
        unsigned awakeTemperature;
        const char* info;
        const char* warning;
    } const cases[] = {
        {"sleeper hottest", 45,
         "#1  45" DEG " : AWAKE\n#2  58" DEG " : SLEEPER (" ASLEEP ")", "#1  45" DEG " : AWAKE"},
        {"awake drive hottest", 60,
         "#1  60" DEG " : AWAKE\n#2  58" DEG " : SLEEPER (" ASLEEP ")", "#1  60" DEG " : AWAKE"},
        {"only the sleeper is hot", 38, "#1  38" DEG " : AWAKE\n#2  58" DEG " : SLEEPER (" ASLEEP ")", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DriveReadings readings = Readings({Drive(1, c.awakeTemperature, "AWAKE"), hotSleeper});
        EXPECT_EQ(InfoBalloonContent(readings, true, 60).text, c.info);
        EXPECT_EQ(WarningBalloonContent(readings, 1, Limits(40)).text, c.warning);
        EXPECT_EQ(readings.Hottest(), c.awakeTemperature > 58 ? c.awakeTemperature : 58u);
        EXPECT_EQ(AnyHot(readings, Limits(40)), c.awakeTemperature > 40) << "the tray's warning colours";
    }
}

TEST(DriveReadings, HottestAndCapacity)
{
    DriveReadings readings;
    EXPECT_EQ(readings.Hottest(), 0);
    for (unsigned i = 0; i < 20; ++i) {
        readings.Add(Drive(i, 20 + i, "D"));
    }
    EXPECT_EQ(readings.count, 16u);
    EXPECT_EQ(readings.Hottest(), 35);
}

}  // namespace

// A drive whose verdict says it does not answer: in the information balloon with since
// when instead of its old value, never in the warning balloon, never the hottest.
TEST(NotAnsweringDrive, SaysSinceWhenAndIsNeverHotOrHottest)
{
    setenv("TZ", "UTC", 1);
    tzset();
    const struct {
        Language language;
        bool notAnswering;
        const char* infoLine;
        bool warns;
        unsigned hottest;
    } rows[] = {
        {Language::Japanese, false, "#1  58" DEG " : LOST", true, 58},
        {Language::Japanese, true, "#1  --" DEG " : LOST (12:34" "\x20\x82\xA9\x82\xE7\x89\x9E\x93\x9A\x82\xC8\x82\xB5" ")",
         false, 35},
        {Language::English, true, "#1  -- \x81\x8B" "C : LOST (not answering since 12:34)", false, 35},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.infoLine);
        SetProgramLanguage(row.language);
        DriveReadings readings = Readings({Drive(0, 35, "COOL"), Drive(1, 58, "LOST")});
        readings.items[1].notAnswering = row.notAnswering;
        readings.items[1].notAnsweringSince = 12 * 3600 + 34 * 60 + 56;
        const std::string info = InfoBalloonContent(readings, true, 60).text;
        EXPECT_EQ(info.substr(info.find('\n') + 1), row.infoLine);
        EXPECT_EQ(WarningBalloonContent(readings, 1, Limits(50)).Empty(), !row.warns);
        EXPECT_EQ(readings.Hottest(), row.hottest);
    }
    SetProgramLanguage(Language::Japanese);
}
