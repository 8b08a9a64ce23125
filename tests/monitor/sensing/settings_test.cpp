// Settings in KELVIX.INI: defaults, the initial colours and font, and the exact text
// SaveSettings writes.
#include "sensing_test_support.h"
#include "settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

namespace {

constexpr char kIni[] = "KELVIX.INI";

const char kDefaultIni[] =
    "[Common]\r\n"
    "UseLog=0\r\n"
    "NoTrayIcon=0\r\n"
    "LogFile=KELVIX.LOG\r\n"
    "CfgFile=HDDATA.CFG\r\n"
    "IconFile=7SEG_G.KVX\r\n"
    "[Timer]\r\n"
    "Maximum=3600\r\n"
    "Minimum=30\r\n"
    "Current=60\r\n"
    "NoWake=1\r\n"
    "WakeAfter=0\r\n"
    "[Threshold]\r\n"
    "Maximum=60\r\n"
    "Minimum=30\r\n"
    "Current=40\r\n"
    "UseBalloon=0\r\n"
    "[Network]\r\n"
    "UseNetwork=0\r\n"
    "Port=10008\r\n"
    "[Information]\r\n"
    "UseInformation=0\r\n"
    "Stable=0\r\n"
    "TopMost=0\r\n"
    "Maximum=60\r\n"
    "Minimum=20\r\n"
    "Divide=0\r\n"
    "X=0\r\n"
    "Y=0\r\n"
    "WorstTimer=10000\r\n"
    "ScaleGrphLevel0=-6\r\n"
    "ScaleGrphLevel1=-3\r\n"
    "ScaleGrphLevel2=3\r\n"
    "ScaleGrphLevel3=6\r\n"
    "ScaleGrphLevel4=0\r\n"
    "ColorNameBack=0,0,0\r\n"
    "ColorNameFront=255,255,255\r\n"
    "ColorTempBack=0,0,0\r\n"
    "ColorTempCurrent=255,255,255\r\n"
    "ColorTempMaximum=255,0,0\r\n"
    "ColorGrphBack=0,0,0\r\n"
    "ColorGrphLevel0=0,0,255\r\n"
    "ColorGrphLevel1=0,255,255\r\n"
    "ColorGrphLevel2=0,255,0\r\n"
    "ColorGrphLevel3=255,255,0\r\n"
    "ColorGrphLevel4=255,0,0\r\n"
    "Alpha=0xff\r\n"
    "AnimateTimer=0\r\n"
    "AnimateType=0x00000010\r\n"
    "Form=%d\r\n"
    "NA=N/A\r\n"
    "Font=-14,0,0,0,400,0,0,0,0,0,0,0,0,Arial\r\n";

// A record whose every field differs from the defaults, except the initial appearance.
Settings Scrambled()
{
    Settings s;
    std::memset(static_cast<void*>(&s), 0x5A, sizeof(s));
    s.LogFile[0] = s.CfgFile[0] = s.IconFile[0] = s.Form[0] = s.NA[0] = '\0';
    SetInitialAppearance(s);
    return s;
}

class SettingsFile : public ::testing::Test {
protected:
    WorkingDirectory directory_;
};

TEST_F(SettingsFile, SaveWritesEveryKeyInTableOrder)
{
    EXPECT_TRUE(SaveSettings(Settings{}));
    EXPECT_EQ(ReadWholeFile(kIni), kDefaultIni);
}

TEST_F(SettingsFile, SaveThatCannotWriteSaysSo)
{
    ASSERT_TRUE(std::filesystem::create_directory(kIni));  // a folder where the file should be
    EXPECT_FALSE(SaveSettings(Settings{}));
}

TEST_F(SettingsFile, SaveAfterLoadFillsAMissingFile)
{
    Settings s = Scrambled();
    LoadSettings(s);
    SaveSettings(s);
    EXPECT_EQ(ReadWholeFile(kIni), kDefaultIni);
}

TEST_F(SettingsFile, WithoutFileLoadGivesTheDefaults)
{
    Settings s = Scrambled();
    LoadSettings(s);
    EXPECT_EQ(s.TimerCurrent, 60u);
    EXPECT_EQ(s.NoWake, 1);
    EXPECT_EQ(s.WakeAfter, 0u);
    EXPECT_EQ(s.ThresholdCurrent, 40u);
    EXPECT_EQ(s.Port, 10008u);
    EXPECT_EQ(s.Alpha, 255);
    EXPECT_STREQ(s.Form, "%d");
    EXPECT_STREQ(s.NA, "N/A");
    EXPECT_STREQ(s.LogFile, "KELVIX.LOG");
    EXPECT_STREQ(s.CfgFile, "HDDATA.CFG");
    EXPECT_STREQ(s.IconFile, "7SEG_G.KVX");
    EXPECT_EQ(s.AnimateType, 16u);
    EXPECT_EQ(s.WorstTimer, 10000u);
    EXPECT_EQ(s.ScaleGrphLevel[0], -6);
    EXPECT_EQ(s.ScaleGrphLevel[3], 6);
}

TEST_F(SettingsFile, EmptyColourAndFontKeepTheirInitialValues)
{
    WriteWholeFile(kIni, "[Information]\r\nColorNameBack=\r\nFont=\r\nColorGrphLevel2=10,20\r\n"
                         "ColorTempBack=1,2,3\r\n");
    Settings s;
    SetInitialAppearance(s);
    LoadSettings(s);
    EXPECT_EQ(s.ColorNameBack, RGB(0, 0, 0));
    EXPECT_EQ(s.Font.lfHeight, -14);
    EXPECT_EQ(s.Font.lfWeight, 400);
    EXPECT_STREQ(s.Font.lfFaceName, "Arial");
    EXPECT_EQ(s.ColorGrphLevel[2], RGB(10, 20, 0)) << "missing blue keeps the initial 0";
    EXPECT_EQ(s.ColorTempBack, RGB(1, 2, 3));
}

TEST_F(SettingsFile, ValuesAreUsedUnchecked)
{
    WriteWholeFile(kIni, "[Timer]\r\nCurrent=5\r\n[Information]\r\nForm=%d degrees Celsius!\r\nNA=--\r\n"
                         "Alpha=0x80\r\nAnimateType=0xffffffff\r\nY=-40\r\n");
    Settings s;
    LoadSettings(s);
    EXPECT_EQ(s.TimerCurrent, 5u) << "below TimerMinimum, still used";
    EXPECT_STREQ(s.Form, "%d degrees Cel") << "cut to 14 characters";
    EXPECT_STREQ(s.NA, "--");
    EXPECT_EQ(s.Alpha, 0x80);
    EXPECT_EQ(s.AnimateType, 0xFFFFFFFFu);
    EXPECT_EQ(s.Y, -40);
}

TEST_F(SettingsFile, ChangedValuesRoundTripAndWorstStays)
{
    WriteWholeFile(kIni, "[Worst]\r\nKVX:1:2=0x2d\r\n");
    Settings s;
    s.UseLog = 1;
    s.TimerCurrent = 120;
    s.X = -100;
    s.ColorGrphLevel[4] = RGB(1, 2, 3);
    s.Alpha = 10;
    s.Font.lfHeight = -16;
    s.Font.lfWeight = 700;
    s.Font.lfCharSet = 128;
    std::strcpy(s.Font.lfFaceName, "MS Gothic");
    std::strcpy(s.LogFile, "C:\\logs\\kelvix.log");
    SaveSettings(s);

    const std::string ini = ReadWholeFile(kIni);
    // What comes back is what went in: saved again, it gives the same text.
    Settings loaded = Scrambled();
    LoadSettings(loaded);
    EXPECT_STREQ(loaded.LogFile, "C:\\logs\\kelvix.log");
    EXPECT_STREQ(loaded.Font.lfFaceName, "MS Gothic");
    SaveSettings(loaded);
    EXPECT_EQ(ReadWholeFile(kIni), ini);
    EXPECT_EQ(ini.rfind("[Worst]\r\nKVX:1:2=0x2d\r\n", 0), 0u) << ini;
    EXPECT_NE(ini.find("Font=-16,0,0,0,700,0,0,0,128,0,0,0,0,MS Gothic\r\n"), std::string::npos);
    EXPECT_NE(ini.find("Alpha=0x0a\r\n"), std::string::npos);
}

TEST(SettingsRecord, InitialAppearance)
{
    Settings s;
    std::memset(static_cast<void*>(&s), 0, sizeof(s));
    SetInitialAppearance(s);
    EXPECT_EQ(s.ColorNameFront, RGB(255, 255, 255));
    EXPECT_EQ(s.ColorTempMaximum, RGB(255, 0, 0));
    EXPECT_EQ(s.ColorGrphLevel[0], RGB(0, 0, 255));
    EXPECT_EQ(s.ColorGrphLevel[1], RGB(0, 255, 255));
    EXPECT_EQ(s.ColorGrphLevel[2], RGB(0, 255, 0));
    EXPECT_EQ(s.ColorGrphLevel[3], RGB(255, 255, 0));
    EXPECT_EQ(s.ColorGrphLevel[4], RGB(255, 0, 0));
    EXPECT_EQ(s.Font.lfHeight, -14);
    EXPECT_EQ(s.Font.lfWeight, 400);
    EXPECT_STREQ(s.Font.lfFaceName, "Arial");
    EXPECT_EQ(s.TimerCurrent, 0u) << "only colours and the font";
}

}  // namespace
