#include "settings.h"

#include "inifile.h"

namespace {

constexpr char kCommon[] = "Common";
constexpr char kTimer[] = "Timer";
constexpr char kThreshold[] = "Threshold";
constexpr char kNetwork[] = "Network";
constexpr char kInformation[] = "Information";

// Form and NA are read with room for 14 characters and the terminator.
constexpr unsigned kShortTextRead = 15;

constexpr const char* kScaleKeys[kGraphLevels] = {"ScaleGrphLevel0", "ScaleGrphLevel1", "ScaleGrphLevel2",
                                                  "ScaleGrphLevel3", "ScaleGrphLevel4"};
constexpr const char* kColorKeys[kGraphLevels] = {"ColorGrphLevel0", "ColorGrphLevel1", "ColorGrphLevel2",
                                                  "ColorGrphLevel3", "ColorGrphLevel4"};

}  // namespace

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

    ini.Read(kCommon, "UseLog", d.UseLog, &s.UseLog);
    ini.Read(kCommon, "NoTrayIcon", d.NoTrayIcon, &s.NoTrayIcon);
    ini.Read(kCommon, "LogFile", d.LogFile, s.LogFile, kPathSize);
    ini.Read(kCommon, "CfgFile", d.CfgFile, s.CfgFile, kPathSize);
    ini.Read(kCommon, "IconFile", d.IconFile, s.IconFile, kPathSize);

    ini.Read(kTimer, "Maximum", d.TimerMaximum, &s.TimerMaximum);
    ini.Read(kTimer, "Minimum", d.TimerMinimum, &s.TimerMinimum);
    ini.Read(kTimer, "Current", d.TimerCurrent, &s.TimerCurrent);

    ini.Read(kThreshold, "Maximum", d.ThresholdMaximum, &s.ThresholdMaximum);
    ini.Read(kThreshold, "Minimum", d.ThresholdMinimum, &s.ThresholdMinimum);
    ini.Read(kThreshold, "Current", d.ThresholdCurrent, &s.ThresholdCurrent);
    ini.Read(kThreshold, "UseBalloon", d.UseBalloon, &s.UseBalloon);

    ini.Read(kNetwork, "UseNetwork", d.UseNetwork, &s.UseNetwork);
    ini.Read(kNetwork, "Port", d.Port, &s.Port);

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

void SaveSettings(const Settings& s)
{
    INIFILE ini;
    ini.Open(kSettingsFile);

    ini.Write(kCommon, "UseLog", s.UseLog);
    ini.Write(kCommon, "NoTrayIcon", s.NoTrayIcon);
    ini.Write(kCommon, "LogFile", s.LogFile);
    ini.Write(kCommon, "CfgFile", s.CfgFile);
    ini.Write(kCommon, "IconFile", s.IconFile);

    ini.Write(kTimer, "Maximum", s.TimerMaximum);
    ini.Write(kTimer, "Minimum", s.TimerMinimum);
    ini.Write(kTimer, "Current", s.TimerCurrent);

    ini.Write(kThreshold, "Maximum", s.ThresholdMaximum);
    ini.Write(kThreshold, "Minimum", s.ThresholdMinimum);
    ini.Write(kThreshold, "Current", s.ThresholdCurrent);
    ini.Write(kThreshold, "UseBalloon", s.UseBalloon);

    ini.Write(kNetwork, "UseNetwork", s.UseNetwork);
    ini.Write(kNetwork, "Port", s.Port);

    ini.Write(kInformation, "UseInformation", s.UseInformation);
    ini.Write(kInformation, "Stable", s.Stable);
    ini.Write(kInformation, "TopMost", s.TopMost);
    ini.Write(kInformation, "Maximum", s.InformationMaximum);
    ini.Write(kInformation, "Minimum", s.InformationMinimum);
    ini.Write(kInformation, "Divide", s.Divide);
    ini.Write(kInformation, "X", s.X);
    ini.Write(kInformation, "Y", s.Y);
    ini.Write(kInformation, "WorstTimer", s.WorstTimer);
    for (unsigned i = 0; i < kGraphLevels; ++i) {
        ini.Write(kInformation, kScaleKeys[i], s.ScaleGrphLevel[i]);
    }
    ini.Write(kInformation, "ColorNameBack", &s.ColorNameBack);
    ini.Write(kInformation, "ColorNameFront", &s.ColorNameFront);
    ini.Write(kInformation, "ColorTempBack", &s.ColorTempBack);
    ini.Write(kInformation, "ColorTempCurrent", &s.ColorTempCurrent);
    ini.Write(kInformation, "ColorTempMaximum", &s.ColorTempMaximum);
    ini.Write(kInformation, "ColorGrphBack", &s.ColorGrphBack);
    for (unsigned i = 0; i < kGraphLevels; ++i) {
        ini.Write(kInformation, kColorKeys[i], &s.ColorGrphLevel[i]);
    }
    ini.Write(kInformation, "Alpha", s.Alpha);
    ini.Write(kInformation, "AnimateTimer", s.AnimateTimer);
    // Read as unsigned int, written in the unsigned long form (0x%08x).
    ini.Write(kInformation, "AnimateType", static_cast<unsigned long>(s.AnimateType));
    ini.Write(kInformation, "Form", s.Form);
    ini.Write(kInformation, "NA", s.NA);
    ini.Write(kInformation, "Font", &s.Font);

    ini.Close();
}
