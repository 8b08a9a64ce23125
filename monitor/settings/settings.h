// Settings: every user choice of KELVIX, kept in "KELVIX.INI".
#pragma once

#include "network_access_defaults.h"
#include "setting_keys.h"
#include "wintypes.h"

#include <cstdint>

// The INI file of KELVIX (settings and worst temperatures). A bare name: the profile
// functions put it in the Windows directory; natively it is the current directory's.
constexpr char kSettingsFile[] = "KELVIX.INI";

constexpr unsigned kPathSize = 260;
constexpr unsigned kShortTextSize = 16;
constexpr unsigned kGraphLevels = 5;
constexpr unsigned kListenAddressSize = 64;
// The ports the settings dialog offers when an export service is turned on: the one
// hddtemp clients expect, and one that no well-known exporter uses.
constexpr std::uint32_t kDefaultHddtempPort = 7634;
constexpr std::uint32_t kDefaultMetricsPort = 10634;

struct Settings {
    // [Common]
    std::int32_t UseLog = 0;
    std::int32_t NoTrayIcon = 0;
    char LogFile[kPathSize] = "KELVIX.LOG";
    char CfgFile[kPathSize] = "HDDATA.CFG";
    char IconFile[kPathSize] = "7SEG_G.KVX";
    // "auto": Japanese on a Japanese Windows, English elsewhere; "ja" or "en" force one.
    char Language[kShortTextSize] = "auto";
    // [Timer], seconds
    std::uint32_t TimerMaximum = 3600;
    std::uint32_t TimerMinimum = 30;
    std::uint32_t TimerCurrent = 60;
    // A spun-down ATA drive is not read (1), and is read anyway after this many ticks
    // asleep (0: never).
    std::int32_t NoWake = 1;
    std::uint32_t WakeAfter = 0;
    // [Threshold], degrees Celsius
    std::uint32_t ThresholdMaximum = 60;
    std::uint32_t ThresholdMinimum = 30;
    std::uint32_t ThresholdCurrent = 40;
    std::int32_t UseBalloon = 0;
    // NVMe drives' warning temperature, not bound by the two above: 0 warns a little below
    // each drive's own warning temperature.
    std::uint32_t NvmeCurrent = 0;
    std::uint32_t Reminder = 30;  // minutes between silent reminders while hot; 0: none
    // [Health]: days of the drive's power-on time between scheduled short self-tests of
    // each ATA drive (0: none, the default)
    std::uint32_t SelfTest = 0;
    // [Network]
    std::int32_t UseNetwork = 0;
    std::uint32_t Port = 10008;
    // Who is answered (addresses and CIDR ranges, comma-separated) and how many answers
    // one address gets a second (0 = no limit). A value that makes no sense reads as the
    // default: never as "everybody" or "no limit".
    char AllowedHosts[kAllowedHostsSize] = KV_DEFAULT_ALLOWED_HOSTS;
    std::uint32_t ReportsPerSecond = kDefaultReportsPerSecond;
    // [Export], TCP ports (0 = that service is off) and the address both listen on
    std::uint32_t HddtempPort = 0;
    std::uint32_t MetricsPort = 0;
    // 1: the metrics port also serves the web page at / and its JSON API (off by default)
    std::int32_t WebPage = 0;
    char ListenAddress[kListenAddressSize] = "";
    // [Information]
    std::int32_t UseInformation = 0;
    std::int32_t Stable = 0;
    std::int32_t TopMost = 0;
    std::uint32_t InformationMaximum = 60;
    std::uint32_t InformationMinimum = 20;
    std::uint32_t Divide = 0;
    std::int32_t X = 0;
    std::int32_t Y = 0;
    std::uint32_t WorstTimer = 10000;
    std::int32_t ScaleGrphLevel[kGraphLevels] = {-6, -3, 3, 6, 0};
    COLORREF ColorNameBack = RGB(0, 0, 0);
    COLORREF ColorNameFront = RGB(255, 255, 255);
    COLORREF ColorTempBack = RGB(0, 0, 0);
    COLORREF ColorTempCurrent = RGB(255, 255, 255);
    COLORREF ColorTempMaximum = RGB(255, 0, 0);
    COLORREF ColorGrphBack = RGB(0, 0, 0);
    COLORREF ColorGrphLevel[kGraphLevels] = {RGB(0, 0, 255), RGB(0, 255, 255), RGB(0, 255, 0),
                                             RGB(255, 255, 0), RGB(255, 0, 0)};
    std::uint8_t Alpha = 255;
    std::uint32_t AnimateTimer = 0;
    std::uint32_t AnimateType = 16;
    char Form[kShortTextSize] = "%d";
    char NA[kShortTextSize] = "N/A";
    LOGFONTA Font = {-14, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Arial"};
};

// Every key of KELVIX.INI but [Worst], in the order SaveSettings writes them, with the
// values a file may hold and who else reads it (the settings dialog, kelvixd).
const SettingTable& KelvixSettingKeys();

// The colour and font fields get these values when the application state is created;
// LoadSettings keeps them when their keys are missing or empty.
void SetInitialAppearance(Settings& settings);

// Reads every key of KELVIX.INI into the record (missing keys: the defaults).
void LoadSettings(Settings& settings);
// Writes every key, in the same order; false when any write was refused.
bool SaveSettings(const Settings& settings);
