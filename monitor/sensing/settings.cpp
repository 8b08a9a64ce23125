#include "settings.h"

#include "inifile.h"

#include <cstring>

namespace {

constexpr char kCommon[] = "Common";
constexpr char kTimer[] = "Timer";
constexpr char kThreshold[] = "Threshold";
constexpr char kNetwork[] = "Network";
constexpr char kExport[] = "Export";
constexpr char kInformation[] = "Information";

// Form and NA are read with room for 14 characters and the terminator.
constexpr unsigned kShortTextRead = 15;

constexpr const char* kScaleKeys[kGraphLevels] = {"ScaleGrphLevel0", "ScaleGrphLevel1", "ScaleGrphLevel2",
                                                  "ScaleGrphLevel3", "ScaleGrphLevel4"};
constexpr const char* kColorKeys[kGraphLevels] = {"ColorGrphLevel0", "ColorGrphLevel1", "ColorGrphLevel2",
                                                  "ColorGrphLevel3", "ColorGrphLevel4"};

void ReadNetworkAccess(INIFILE& ini, Settings& s)
{
    // One byte more than fits: a list cut short could name other hosts than the one
    // written, so a list too long is no list.
    char hosts[kAllowedHostsSize + 1] = KV_DEFAULT_ALLOWED_HOSTS;
    ini.Read(kNetwork, "AllowedHosts", kDefaultAllowedHosts, hosts, sizeof hosts);
    const bool fits = std::strlen(hosts) < kAllowedHostsSize;
    std::strcpy(s.AllowedHosts, fits ? hosts : kDefaultAllowedHosts);

    char rate[32] = "";
    ini.Read(kNetwork, "ReportsPerSecond", "", rate, sizeof rate);
    if (!ParseReportsPerSecond(rate, s.ReportsPerSecond)) {
        s.ReportsPerSecond = kDefaultReportsPerSecond;
    }
}

}  // namespace

bool ParseReportsPerSecond(const char* text, std::uint32_t& value)
{
    while (*text == ' ' || *text == '\t') {
        ++text;
    }
    std::uint32_t parsed = 0;
    const char* at = text;
    for (; *at >= '0' && *at <= '9'; ++at) {
        parsed = parsed * 10 + static_cast<std::uint32_t>(*at - '0');
        if (parsed > kMaxReportsPerSecond) {
            return false;
        }
    }
    const bool digits = at != text;
    while (*at == ' ' || *at == '\t') {
        ++at;
    }
    if (!digits || *at != '\0') {
        return false;
    }
    value = parsed;
    return true;
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
    const Settings d;  // the defaults of every key
    INIFILE ini;
    ini.Open(kSettingsFile);
    // One call per section instead of one per key: each call opens the file again.
    ini.ReadWholeSections();

    ini.Read(kCommon, "UseLog", d.UseLog, &s.UseLog);
    ini.Read(kCommon, "NoTrayIcon", d.NoTrayIcon, &s.NoTrayIcon);
    ini.Read(kCommon, "LogFile", d.LogFile, s.LogFile, kPathSize);
    ini.Read(kCommon, "CfgFile", d.CfgFile, s.CfgFile, kPathSize);
    ini.Read(kCommon, "IconFile", d.IconFile, s.IconFile, kPathSize);

    ini.Read(kTimer, "Maximum", d.TimerMaximum, &s.TimerMaximum);
    ini.Read(kTimer, "Minimum", d.TimerMinimum, &s.TimerMinimum);
    ini.Read(kTimer, "Current", d.TimerCurrent, &s.TimerCurrent);
    ini.Read(kTimer, "NoWake", d.NoWake, &s.NoWake);
    ini.Read(kTimer, "WakeAfter", d.WakeAfter, &s.WakeAfter);

    ini.Read(kThreshold, "Maximum", d.ThresholdMaximum, &s.ThresholdMaximum);
    ini.Read(kThreshold, "Minimum", d.ThresholdMinimum, &s.ThresholdMinimum);
    ini.Read(kThreshold, "Current", d.ThresholdCurrent, &s.ThresholdCurrent);
    ini.Read(kThreshold, "UseBalloon", d.UseBalloon, &s.UseBalloon);
    ini.Read(kThreshold, "NvmeCurrent", d.NvmeCurrent, &s.NvmeCurrent);
    ini.Read(kThreshold, "Reminder", d.Reminder, &s.Reminder);

    ini.Read(kNetwork, "UseNetwork", d.UseNetwork, &s.UseNetwork);
    ini.Read(kNetwork, "Port", d.Port, &s.Port);
    ReadNetworkAccess(ini, s);

    ini.Read(kExport, "HddtempPort", d.HddtempPort, &s.HddtempPort);
    ini.Read(kExport, "MetricsPort", d.MetricsPort, &s.MetricsPort);
    ini.Read(kExport, "ListenAddress", d.ListenAddress, s.ListenAddress, kListenAddressSize);

    ini.Read(kInformation, "UseInformation", d.UseInformation, &s.UseInformation);
    ini.Read(kInformation, "Stable", d.Stable, &s.Stable);
    ini.Read(kInformation, "TopMost", d.TopMost, &s.TopMost);
    ini.Read(kInformation, "Maximum", d.InformationMaximum, &s.InformationMaximum);
    ini.Read(kInformation, "Minimum", d.InformationMinimum, &s.InformationMinimum);
    ini.Read(kInformation, "Divide", d.Divide, &s.Divide);
    ini.Read(kInformation, "X", d.X, &s.X);
    ini.Read(kInformation, "Y", d.Y, &s.Y);
    ini.Read(kInformation, "WorstTimer", d.WorstTimer, &s.WorstTimer);
    for (unsigned i = 0; i < kGraphLevels; ++i) {
        ini.Read(kInformation, kScaleKeys[i], d.ScaleGrphLevel[i], &s.ScaleGrphLevel[i]);
    }
    // Colours and the font have no default: a missing key keeps the initial value.
    ini.Read(kInformation, "ColorNameBack", &s.ColorNameBack);
    ini.Read(kInformation, "ColorNameFront", &s.ColorNameFront);
    ini.Read(kInformation, "ColorTempBack", &s.ColorTempBack);
    ini.Read(kInformation, "ColorTempCurrent", &s.ColorTempCurrent);
    ini.Read(kInformation, "ColorTempMaximum", &s.ColorTempMaximum);
    ini.Read(kInformation, "ColorGrphBack", &s.ColorGrphBack);
    for (unsigned i = 0; i < kGraphLevels; ++i) {
        ini.Read(kInformation, kColorKeys[i], &s.ColorGrphLevel[i]);
    }
    ini.Read(kInformation, "Alpha", d.Alpha, &s.Alpha);
    ini.Read(kInformation, "AnimateTimer", d.AnimateTimer, &s.AnimateTimer);
    ini.Read(kInformation, "AnimateType", d.AnimateType, &s.AnimateType);
    ini.Read(kInformation, "Form", d.Form, s.Form, kShortTextRead);
    ini.Read(kInformation, "NA", d.NA, s.NA, kShortTextRead);
    ini.Read(kInformation, "Font", &s.Font);

    ini.Close();
}

bool SaveSettings(const Settings& s)
{
    INIFILE ini;
    ini.Open(kSettingsFile);
    int written = 1;

    written &= ini.Write(kCommon, "UseLog", s.UseLog);
    written &= ini.Write(kCommon, "NoTrayIcon", s.NoTrayIcon);
    written &= ini.Write(kCommon, "LogFile", s.LogFile);
    written &= ini.Write(kCommon, "CfgFile", s.CfgFile);
    written &= ini.Write(kCommon, "IconFile", s.IconFile);

    written &= ini.Write(kTimer, "Maximum", s.TimerMaximum);
    written &= ini.Write(kTimer, "Minimum", s.TimerMinimum);
    written &= ini.Write(kTimer, "Current", s.TimerCurrent);
    written &= ini.Write(kTimer, "NoWake", s.NoWake);
    written &= ini.Write(kTimer, "WakeAfter", s.WakeAfter);

    written &= ini.Write(kThreshold, "Maximum", s.ThresholdMaximum);
    written &= ini.Write(kThreshold, "Minimum", s.ThresholdMinimum);
    written &= ini.Write(kThreshold, "Current", s.ThresholdCurrent);
    written &= ini.Write(kThreshold, "UseBalloon", s.UseBalloon);
    written &= ini.Write(kThreshold, "NvmeCurrent", s.NvmeCurrent);
    written &= ini.Write(kThreshold, "Reminder", s.Reminder);

    written &= ini.Write(kNetwork, "UseNetwork", s.UseNetwork);
    written &= ini.Write(kNetwork, "Port", s.Port);
    written &= ini.Write(kNetwork, "AllowedHosts", s.AllowedHosts);
    written &= ini.Write(kNetwork, "ReportsPerSecond", s.ReportsPerSecond);

    written &= ini.Write(kExport, "HddtempPort", s.HddtempPort);
    written &= ini.Write(kExport, "MetricsPort", s.MetricsPort);
    written &= ini.Write(kExport, "ListenAddress", s.ListenAddress);

    written &= ini.Write(kInformation, "UseInformation", s.UseInformation);
    written &= ini.Write(kInformation, "Stable", s.Stable);
    written &= ini.Write(kInformation, "TopMost", s.TopMost);
    written &= ini.Write(kInformation, "Maximum", s.InformationMaximum);
    written &= ini.Write(kInformation, "Minimum", s.InformationMinimum);
    written &= ini.Write(kInformation, "Divide", s.Divide);
    written &= ini.Write(kInformation, "X", s.X);
    written &= ini.Write(kInformation, "Y", s.Y);
    written &= ini.Write(kInformation, "WorstTimer", s.WorstTimer);
    for (unsigned i = 0; i < kGraphLevels; ++i) {
        written &= ini.Write(kInformation, kScaleKeys[i], s.ScaleGrphLevel[i]);
    }
    written &= ini.Write(kInformation, "ColorNameBack", &s.ColorNameBack);
    written &= ini.Write(kInformation, "ColorNameFront", &s.ColorNameFront);
    written &= ini.Write(kInformation, "ColorTempBack", &s.ColorTempBack);
    written &= ini.Write(kInformation, "ColorTempCurrent", &s.ColorTempCurrent);
    written &= ini.Write(kInformation, "ColorTempMaximum", &s.ColorTempMaximum);
    written &= ini.Write(kInformation, "ColorGrphBack", &s.ColorGrphBack);
    for (unsigned i = 0; i < kGraphLevels; ++i) {
        written &= ini.Write(kInformation, kColorKeys[i], &s.ColorGrphLevel[i]);
    }
    written &= ini.Write(kInformation, "Alpha", s.Alpha);
    written &= ini.Write(kInformation, "AnimateTimer", s.AnimateTimer);
    // Read as unsigned int, written in the unsigned long form (0x%08x).
    written &= ini.Write(kInformation, "AnimateType", static_cast<unsigned long>(s.AnimateType));
    written &= ini.Write(kInformation, "Form", s.Form);
    written &= ini.Write(kInformation, "NA", s.NA);
    written &= ini.Write(kInformation, "Font", &s.Font);

    ini.Close();
    return written != 0;
}
