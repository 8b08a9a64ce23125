#include "settings.h"

#include "inifile.h"

#include <cstdint>
#include <limits>

namespace {

constexpr std::int64_t kDay = 86400;  // seconds
constexpr std::int64_t kLongest = kPathSize - 1;
constexpr std::int64_t kAnyUnsigned = std::numeric_limits<std::uint32_t>::max();
constexpr std::int64_t kLeastSigned = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kAnySigned = std::numeric_limits<std::int32_t>::max();
constexpr std::uint8_t kDialog = kSettingInDialog;
constexpr std::uint8_t kBoth = kSettingInDialog | kSettingInDaemon;

#define KEY(field, kind, section, key, minimum, maximum, ...) \
    KV_SETTING(Settings, field, kind, section, key, minimum, maximum, __VA_ARGS__)

constexpr SettingKey kKeys[] = {
    KEY(UseLog, Flag, "Common", "UseLog", 0, 1, kBoth),
    KEY(NoTrayIcon, Flag, "Common", "NoTrayIcon", 0, 1, kDialog),
    KEY(LogFile, Text, "Common", "LogFile", 1, kLongest, kBoth),
    KEY(CfgFile, Text, "Common", "CfgFile", 1, kLongest, kBoth),
    KEY(IconFile, Text, "Common", "IconFile", 1, kLongest, kDialog),
    // kelvixd speaks English; its web page follows this key.
    KEY(Language, Text, "Common", "Language", 0, kShortTextSize - 1, kSettingInDaemon),

    KEY(TimerMaximum, Unsigned, "Timer", "Maximum", 1, kDay, 0),
    KEY(TimerMinimum, Unsigned, "Timer", "Minimum", 1, kDay, 0),
    KEY(TimerCurrent, Unsigned, "Timer", "Current", 1, kDay, kBoth),
    KEY(NoWake, Flag, "Timer", "NoWake", 0, 1, kBoth),
    // The dialog's box holds three digits.
    KEY(WakeAfter, Unsigned, "Timer", "WakeAfter", 0, kDay, kBoth, false, 999),

    KEY(ThresholdMaximum, Unsigned, "Threshold", "Maximum", 0, 255, 0),
    KEY(ThresholdMinimum, Unsigned, "Threshold", "Minimum", 0, 255, 0),
    KEY(ThresholdCurrent, Unsigned, "Threshold", "Current", 0, 255, kBoth),
    KEY(UseBalloon, Flag, "Threshold", "UseBalloon", 0, 1, kDialog),
    KEY(NvmeCurrent, Unsigned, "Threshold", "NvmeCurrent", 0, 255, kSettingInDaemon),
    KEY(Reminder, Unsigned, "Threshold", "Reminder", 0, kDay / 60, kSettingInDaemon),
    KEY(SelfTest, Unsigned, "Health", "SelfTest", 0, 365, kSettingInDaemon),

    KEY(UseNetwork, Flag, "Network", "UseNetwork", 0, 1, kBoth),
    KEY(Port, Unsigned, "Network", "Port", 1, 65535, kBoth),
    // Junk in these two never reads as "everybody" or "no limit": the default instead.
    KEY(AllowedHosts, Text, "Network", "AllowedHosts", 0, kAllowedHostsSize - 1, kBoth, true),
    KEY(ReportsPerSecond, Unsigned, "Network", "ReportsPerSecond", 0, kMaxReportsPerSecond, kBoth, true),

    KEY(HddtempPort, Unsigned, "Export", "HddtempPort", 0, 65535, kBoth),
    KEY(MetricsPort, Unsigned, "Export", "MetricsPort", 0, 65535, kBoth),
    KEY(WebPage, Flag, "Export", "WebPage", 0, 1, kBoth),
    KEY(ListenAddress, Text, "Export", "ListenAddress", 0, kListenAddressSize - 1, kBoth),

    KEY(UseInformation, Flag, "Information", "UseInformation", 0, 1, kDialog),
    KEY(Stable, Flag, "Information", "Stable", 0, 1, 0),
    KEY(TopMost, Flag, "Information", "TopMost", 0, 1, 0),
    KEY(InformationMaximum, Unsigned, "Information", "Maximum", 0, 255, 0),
    KEY(InformationMinimum, Unsigned, "Information", "Minimum", 0, 255, 0),
    KEY(Divide, Unsigned, "Information", "Divide", 0, kAnyUnsigned, 0),
    KEY(X, Signed, "Information", "X", kLeastSigned, kAnySigned, 0),
    KEY(Y, Signed, "Information", "Y", kLeastSigned, kAnySigned, 0),
    KEY(WorstTimer, Unsigned, "Information", "WorstTimer", 0, kAnyUnsigned, 0),
    KEY(ScaleGrphLevel[0], Signed, "Information", "ScaleGrphLevel0", kLeastSigned, kAnySigned, 0),
    KEY(ScaleGrphLevel[1], Signed, "Information", "ScaleGrphLevel1", kLeastSigned, kAnySigned, 0),
    KEY(ScaleGrphLevel[2], Signed, "Information", "ScaleGrphLevel2", kLeastSigned, kAnySigned, 0),
    KEY(ScaleGrphLevel[3], Signed, "Information", "ScaleGrphLevel3", kLeastSigned, kAnySigned, 0),
    KEY(ScaleGrphLevel[4], Signed, "Information", "ScaleGrphLevel4", kLeastSigned, kAnySigned, 0),
    // Colours and the font have no default: a missing key keeps the initial value.
    KEY(ColorNameBack, Colour, "Information", "ColorNameBack", 0, 0xFFFFFF, 0),
    KEY(ColorNameFront, Colour, "Information", "ColorNameFront", 0, 0xFFFFFF, 0),
    KEY(ColorTempBack, Colour, "Information", "ColorTempBack", 0, 0xFFFFFF, 0),
    KEY(ColorTempCurrent, Colour, "Information", "ColorTempCurrent", 0, 0xFFFFFF, 0),
    KEY(ColorTempMaximum, Colour, "Information", "ColorTempMaximum", 0, 0xFFFFFF, 0),
    KEY(ColorGrphBack, Colour, "Information", "ColorGrphBack", 0, 0xFFFFFF, 0),
    KEY(ColorGrphLevel[0], Colour, "Information", "ColorGrphLevel0", 0, 0xFFFFFF, 0),
    KEY(ColorGrphLevel[1], Colour, "Information", "ColorGrphLevel1", 0, 0xFFFFFF, 0),
    KEY(ColorGrphLevel[2], Colour, "Information", "ColorGrphLevel2", 0, 0xFFFFFF, 0),
    KEY(ColorGrphLevel[3], Colour, "Information", "ColorGrphLevel3", 0, 0xFFFFFF, 0),
    KEY(ColorGrphLevel[4], Colour, "Information", "ColorGrphLevel4", 0, 0xFFFFFF, 0),
    KEY(Alpha, Byte, "Information", "Alpha", 0, 255, 0),
    KEY(AnimateTimer, Unsigned, "Information", "AnimateTimer", 0, kAnyUnsigned, 0),
    // Read as unsigned int, written in the unsigned long form (0x%08x).
    KEY(AnimateType, Hex, "Information", "AnimateType", 0, kAnyUnsigned, 0),
    // Read with room for 14 characters: a longer text is cut.
    KEY(Form, Text, "Information", "Form", 0, kShortTextSize - 2, 0),
    KEY(NA, Text, "Information", "NA", 0, kShortTextSize - 2, 0),
    KEY(Font, Font, "Information", "Font", 0, 0, 0),
};

#undef KEY

constexpr SettingTable kTable = {kKeys, sizeof kKeys / sizeof kKeys[0]};

}  // namespace

const SettingTable& KelvixSettingKeys()
{
    return kTable;
}

void SetInitialAppearance(Settings& settings)
{
    const Settings initial;
    settings.ColorNameBack = initial.ColorNameBack;
    settings.ColorNameFront = initial.ColorNameFront;
    settings.ColorTempBack = initial.ColorTempBack;
    settings.ColorTempCurrent = initial.ColorTempCurrent;
    settings.ColorTempMaximum = initial.ColorTempMaximum;
    settings.ColorGrphBack = initial.ColorGrphBack;
    for (unsigned i = 0; i < kGraphLevels; ++i) {
        settings.ColorGrphLevel[i] = initial.ColorGrphLevel[i];
    }
    settings.Font = initial.Font;
}

void LoadSettings(Settings& s)
{
    const Settings defaults;
    INIFILE ini;
    ini.Open(kSettingsFile);
    // One call per section instead of one per key: each call opens the file again.
    ini.ReadWholeSections();
    ReadSettingKeys(ini, kTable, &s, &defaults);
    ini.Close();
}

bool SaveSettings(const Settings& s)
{
    INIFILE ini;
    ini.Open(kSettingsFile);
    const bool written = WriteSettingKeys(ini, kTable, &s);
    ini.Close();
    return written;
}
