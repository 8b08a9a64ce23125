// The monitor program in-process: its main window is created on simulated drives with a
// settings file of the test's own, then driven by commands, timers and its dialogs.
#include "app_state_win.h"
#include "clipboard_text.h"
#include "drive_readings.h"
#include "driveset_file.h"
#include "kv_version.h"
#include "ini_file.h"
#include "main_window_win.h"
#include "message_pump.h"
#include "message_table.h"
#include "modal_script.h"
#include "monitor_ids.h"
#include "monitor_fixture.h"
#include "monitor_session.h"
#include "settings_dialog_win.h"
#include "tray_icon_win.h"
#include "window_helpers_win.h"
#include "window_picture.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

class MonitorApp : public MonitorFixture {
protected:
    MonitorApp() : MonitorFixture("APPTEST.CFG") {}

    void SetUp() override
    {
        MonitorFixture::SetUp();
        WriteIni(kKelvixIni, "Threshold", "UseBalloon", "1");
        CopyFileA("7SEG_G.KVX", "OTHER.KVX", FALSE);
    }

    void TearDown() override
    {
        MonitorFixture::TearDown();
        DeleteFileA("OTHER.KVX");
    }

    void Command(UINT id) { SendMessageA(window_, WM_COMMAND, id, 0); }
};

TEST_F(MonitorApp, StartsMeasuringAndShowsTheHottestDrive)
{
    Start({{0, "SIM COOL", {35}}, {1, "SIM HOT", {52}}});
    EXPECT_EQ(app_->drives.measuredCount, 2u);
    EXPECT_EQ(app_->measurementTimer, kMeasurementTimerId);
    EXPECT_EQ(app_->trayIcon.SlotCount(), kIconTableSize);
    EXPECT_EQ(app_->trayIcon.CurrentSlot(), 152u);
    EXPECT_EQ(app_->trayIcon.Record().uCallbackMessage, kTrayCallbackMessage);
    // The warning balloon came last and replaced the information balloon.
    EXPECT_STREQ(app_->trayIcon.Record().szInfoTitle, "40℃を超えています");
    EXPECT_STREQ(app_->trayIcon.Record().szInfo, "#1  52℃ : SIM HOT");
    EXPECT_EQ(app_->trayIcon.Record().dwInfoFlags, static_cast<DWORD>(NIIF_WARNING));
    NamedMutex second;
    EXPECT_FALSE(second.Create(kMonitorClassName));
}

TEST_F(MonitorApp, NoTemperatureShowsSlot200AndStaysStopped)
{
    Start({{0, "SIM QUIET", {}}});
    EXPECT_EQ(app_->drives.presentCount, 1u);
    EXPECT_EQ(app_->drives.measuredCount, 0u);
    EXPECT_EQ(app_->measurementTimer, 0u);
    EXPECT_EQ(app_->trayIcon.CurrentSlot(), kSlotNoTemperature);
    Command(CMD_MEASURE_RESUME);  // needs a temperature
    EXPECT_EQ(app_->measurementTimer, 0u);
    Command(CMD_SHOW_INFO);
    EXPECT_EQ(app_->trayIcon.Record().szInfo[0], '\0');  // no balloon without temperatures
}

TEST_F(MonitorApp, CommandsStopResumeMeasureAndIgnoreUnknownIds)
{
    WriteIni(kKelvixIni, "Threshold", "UseBalloon", "0");
    Start({{0, "SIM A", {39, 45}}});
    EXPECT_EQ(app_->trayIcon.CurrentSlot(), 39u);  // enumeration read 39, which the first cycle takes
    Command(CMD_MEASURE_STOP);
    EXPECT_EQ(app_->measurementTimer, 0u);
    EXPECT_EQ(app_->trayIcon.CurrentSlot(), kSlotStopped);
    Command(32788);
    Command(32800);
    EXPECT_EQ(app_->trayIcon.CurrentSlot(), kSlotStopped);
    Command(CMD_MEASURE_RESUME);
    EXPECT_EQ(app_->measurementTimer, kMeasurementTimerId);
    EXPECT_EQ(app_->trayIcon.CurrentSlot(), 39u);
    Command(CMD_MEASURE_NOW);
    EXPECT_EQ(app_->drives.table[0].currentTemperature, 45);
    EXPECT_EQ(app_->trayIcon.CurrentSlot(), 145u);
    EXPECT_STREQ(app_->trayIcon.Record().szInfoTitle, "60秒間隔で計測");  // UseBalloon 0: no warning
    Command(CMD_SHOW_INFO);
    EXPECT_STREQ(app_->trayIcon.Record().szInfoTitle, "60秒間隔で計測");
    EXPECT_STREQ(app_->trayIcon.Record().szInfo, "#0  45℃ : SIM A");
    // A double click toggles measurement and shows nothing new.
    SendMessageA(window_, kTrayCallbackMessage, 0, WM_LBUTTONDBLCLK);
    Pump(100);
    EXPECT_EQ(app_->measurementTimer, 0u);
    SendMessageA(window_, kTrayCallbackMessage, 0, WM_LBUTTONDBLCLK);
    Pump(100);
    EXPECT_EQ(app_->measurementTimer, kMeasurementTimerId);
}

TEST_F(MonitorApp, SingleClickShowsTheInformationBalloonOnceNoSecondClickCame)
{
    Start({{0, "SIM A", {52}}});
    EXPECT_STREQ(app_->trayIcon.Record().szInfoTitle, "40℃を超えています");
    SendMessageA(window_, kTrayCallbackMessage, 0, WM_LBUTTONDOWN);
    EXPECT_EQ(app_->clickTimer, kClickTimerId);
    EXPECT_STREQ(app_->trayIcon.Record().szInfoTitle, "40℃を超えています");  // not yet
    for (int i = 0; i < 100 && app_->clickTimer != 0; ++i) {
        Pump(50);
    }
    EXPECT_EQ(app_->clickTimer, 0u);
    EXPECT_STREQ(app_->trayIcon.Record().szInfoTitle, "60秒間隔で計測");
    EXPECT_EQ(app_->trayIcon.Record().dwInfoFlags, static_cast<DWORD>(NIIF_INFO));
}

// The shell that is not there yet: every call fails until it "starts".
bool g_shellStarted = true;
BOOL WINAPI ShellNotYetThere(DWORD action, PNOTIFYICONDATAW record)
{
    return g_shellStarted ? Shell_NotifyIconW(action, record) : FALSE;
}

struct ShellNotYetThereInPlace {
    ShellNotYetThereInPlace()
    {
        g_shellStarted = false;
        SetShellNotifyCall(ShellNotYetThere);
    }
    ~ShellNotYetThereInPlace() { SetShellNotifyCall(nullptr); }
};

bool ShellHoldsIcon(const TrayIcon& icon)
{
    NOTIFYICONDATAA record = icon.Record();
    return Shell_NotifyIconA(NIM_MODIFY, &record) != FALSE;
}

// The shell as the tests see it: every call is recorded, then handed to Wine's.
struct ShellCall {
    DWORD action;
    UINT id;
    UINT flags;
    DWORD infoFlags;
};
std::vector<ShellCall> g_shellCalls;
BOOL WINAPI RecordingShell(DWORD action, PNOTIFYICONDATAW record)
{
    g_shellCalls.push_back({action, record->uID, record->uFlags, record->dwInfoFlags});
    return Shell_NotifyIconW(action, record);
}
struct RecordingShellInPlace {
    RecordingShellInPlace()
    {
        g_shellCalls.clear();
        SetShellNotifyCall(RecordingShell);
    }
    ~RecordingShellInPlace() { SetShellNotifyCall(nullptr); }
};

// Windows keeps the user's "show this icon" choice by program path and icon id: a second
// start must add the icon under the id of the first.
TEST_F(MonitorApp, TrayIconHasTheSameIdAtEveryStart)
{
    RecordingShellInPlace shell;
    std::vector<UINT> addedIds;
    for (int start = 0; start < 2; ++start) {
        Start({{0, "SIM A", {38}}});
        session_.Close();
        Pump(50);
    }
    for (const ShellCall& call : g_shellCalls) {
        if (call.action == NIM_ADD) addedIds.push_back(call.id);
    }
    ASSERT_EQ(addedIds.size(), 2u);
    EXPECT_EQ(addedIds[0], addedIds[1]);
    for (const ShellCall& call : g_shellCalls) {
        EXPECT_EQ(call.id, addedIds[0]) << "action " << call.action;
        EXPECT_EQ(call.flags & NIF_TIP, 0u) << "no hover tip: the information balloon has that role";
    }
}

// The warning balloons the shell was asked to show, in order: NIIF_WARNING, with or
// without NIIF_NOSOUND.
std::vector<DWORD> WarningBalloonsShown()
{
    std::vector<DWORD> shown;
    for (const ShellCall& call : g_shellCalls) {
        if ((call.flags & NIF_INFO) != 0 && (call.infoFlags & 0x0F) == NIIF_WARNING) {
            shown.push_back(call.infoFlags);
        }
    }
    return shown;
}

// Windows 10 and 11 turn each balloon into a toast with a sound: a drive that stays hot
// warns once, not at every measurement, and again only after cooling down.
TEST_F(MonitorApp, AHotDriveWarnsOnceUntilItHasCooledDown)
{
    RecordingShellInPlace shell;
    // Read 1 at enumeration, which start-up's measurement takes, then one per "measure now".
    Start({{0, "SIM HOT", {52, 53, 54, 52, 55, 39, 41, 36, 44}}});
    ASSERT_EQ(WarningBalloonsShown().size(), 1u) << "at start-up";
    EXPECT_EQ(WarningBalloonsShown()[0], static_cast<DWORD>(NIIF_WARNING)) << "the first warning has its sound";
    for (int i = 0; i < 4; ++i) {
        Command(CMD_MEASURE_NOW);
        EXPECT_EQ(app_->trayIcon.CurrentSlot(), 100u + app_->drives.table[0].currentTemperature);
    }
    EXPECT_EQ(app_->drives.table[0].currentTemperature, 55);
    EXPECT_EQ(WarningBalloonsShown().size(), 1u) << "four hot measurements, no new balloon";
    Command(CMD_MEASURE_NOW);  // 39: within 3 degrees of the limit 40
    EXPECT_EQ(app_->trayIcon.CurrentSlot(), 39u);
    Command(CMD_MEASURE_NOW);  // 41: not cooled enough to warn again
    EXPECT_EQ(app_->trayIcon.CurrentSlot(), 141u);
    EXPECT_EQ(WarningBalloonsShown().size(), 1u);
    Command(CMD_MEASURE_NOW);  // 36: cooled
    Command(CMD_MEASURE_NOW);  // 44: a new crossing
    ASSERT_EQ(WarningBalloonsShown().size(), 2u);
    EXPECT_STREQ(app_->trayIcon.Record().szInfo, "#0  44℃ : SIM HOT");
    EXPECT_STREQ(app_->trayIcon.Record().szInfoTitle, "40℃を超えています");
}

TEST_F(MonitorApp, NvmeDriveWarnsByItsOwnWarningTemperature)
{
    RecordingShellInPlace shell;
    DriveSet set;
    std::string error;
    ASSERT_TRUE(ParseDriveSet("drive 0\nmodel SIM COOL\ntemperature 194 35\n"
                              "drive 1\nnvme\ntemperature-limits 353 358\ntemperature 66 74 76\n",
                    ".", ReadSectorFile, set, error))
        << error;
    StartOn(set);
    // 66 degrees at start: a healthy NVMe drive under load, far above the warning
    // temperature of 40 for ATA drives, and still no red digits and no warning.
    EXPECT_EQ(app_->trayIcon.CurrentSlot(), 66u);
    Command(CMD_MEASURE_NOW);  // 74: its own warning temperature is 80, it warns above 75
    EXPECT_EQ(app_->trayIcon.CurrentSlot(), 74u);
    EXPECT_TRUE(WarningBalloonsShown().empty());
    Command(CMD_MEASURE_NOW);  // 76
    EXPECT_EQ(app_->trayIcon.CurrentSlot(), 176u);
    ASSERT_EQ(WarningBalloonsShown().size(), 1u);
    EXPECT_STREQ(app_->trayIcon.Record().szInfoTitle, "75℃を超えています");
    EXPECT_STREQ(app_->trayIcon.Record().szInfo, "#1  76℃ : KELVIX SIMULATED NVME");
}

TEST_F(MonitorApp, RecreatedTaskbarGetsTheIconBackWithTheCurrentPicture)
{
    Start({{0, "SIM A", {52}}});
    EXPECT_EQ(app_->trayIcon.CurrentSlot(), 152u);
    Command(CMD_MEASURE_STOP);
    ASSERT_EQ(app_->trayIcon.CurrentSlot(), kSlotStopped);
    app_->trayIcon.Remove();  // what an Explorer restart leaves
    SendMessageA(window_, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_EQ(app_->trayIcon.CurrentSlot(), kSlotStopped) << "the stopped picture, not picture 0";
    EXPECT_TRUE(ShellHoldsIcon(app_->trayIcon));
    EXPECT_EQ(app_->trayRetryTimer, 0u);
}

TEST_F(MonitorApp, TrayIconAddedOnceTheShellIsThere)
{
    const ShellNotYetThereInPlace shell;
    Start({{0, "SIM A", {52}}});
    EXPECT_EQ(app_->trayRetryTimer, kTrayRetryTimerId) << "the add failed: retrying";
    Pump(200);
    EXPECT_EQ(app_->trayRetryTimer, kTrayRetryTimerId) << "still no shell";
    EXPECT_FALSE(ShellHoldsIcon(app_->trayIcon));
    g_shellStarted = true;
    for (int i = 0; i < 100 && app_->trayRetryTimer != 0; ++i) {
        Pump(100);
    }
    EXPECT_EQ(app_->trayRetryTimer, 0u);
    EXPECT_TRUE(ShellHoldsIcon(app_->trayIcon));
    EXPECT_EQ(app_->trayIcon.CurrentSlot(), 152u) << "the hottest drive's picture";
}

TEST_F(MonitorApp, HotterThan99ShowsNinetyNineInWarningColours)
{
    Start({{0, "SIM BOILING", {120}}});
    EXPECT_EQ(app_->trayIcon.CurrentSlot(), 199u);
    EXPECT_EQ(app_->trayIcon.Record().hIcon, app_->iconTable.icons[199]);
}

TEST_F(MonitorApp, ClipboardHoldsEveryDriveLine)
{
    Start({{0, "SIM ONE", {35}}, {2, "SIM TWO", {41}}});
    Command(CMD_COPY_TEMPERATURES);
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE data = GetClipboardData(CF_TEXT);
    ASSERT_NE(data, nullptr);
    const std::string text = static_cast<const char*>(GlobalLock(data));
    GlobalUnlock(data);
    CloseClipboard();
    EXPECT_EQ(text, "35℃ : SIM ONE (78.15GB UltraDMA-5)\r\n41℃ : SIM TWO (78.15GB UltraDMA-5)\r\n");
}

TEST_F(MonitorApp, ClosingReleasesTheInstanceAndTheTray)
{
    Start({{0, "SIM A", {40}}});
    SendMessageA(window_, WM_COMMAND, CMD_CLOSE, 0);
    Pump(200);
    EXPECT_FALSE(IsWindow(window_));
    EXPECT_EQ(app_->trayIcon.SlotCount(), 0u);
    EXPECT_EQ(app_->iconTable.icons[0], nullptr);
    EXPECT_EQ(app_->measurementTimer, 0u);
    NamedMutex next;
    EXPECT_TRUE(next.Create(kMonitorClassName));
}

TEST_F(MonitorApp, MissingGlyphFileShowsMessage5AndCloses)
{
    WriteIni(kKelvixIni, "Common", "IconFile", "NO543.KVX");
    std::string shown;
    ModalScript script({[&](HWND box) {
        shown = ModalScript::BoxText(box);
        ModalScript::Click(box, IDOK);
    }});
    Start({{0, "SIM A", {40}}});
    Pump(300);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(shown, "トレイアイコンファイルの読み込みに失敗しました。");
    EXPECT_FALSE(IsWindow(window_));
}

TEST_F(MonitorApp, UnknownTimerShowsMessage7AndGoesOn)
{
    Start({{0, "SIM A", {40}}});
    std::string shown;
    ModalScript script({[&](HWND box) {
        shown = ModalScript::BoxText(box);
        ModalScript::Click(box, IDOK);
    }});
    SendMessageA(window_, WM_TIMER, 0x1234, 0);
    EXPECT_EQ(shown, "未知のタイマーイベントを検出しました。");
    EXPECT_TRUE(IsWindow(window_));
}

// Settings dialog 102, run through command 32791.
class SettingsDialog : public MonitorApp {
protected:
    void Run(std::vector<ModalScript::Step> steps)
    {
        ModalScript script(std::move(steps));
        Command(CMD_SETTINGS);
        EXPECT_TRUE(script.Finished());
        EXPECT_EQ(app_->settingsDialog, nullptr);
    }
};

TEST_F(SettingsDialog, ShowsTheSettingsAndKeepsAnOutOfRangeInterval)
{
    WriteIni(kKelvixIni, "Network", "UseNetwork", "0");
    WriteIni(kKelvixIni, "Threshold", "NvmeCurrent", "78");  // set by hand, above the dialog's 60
    Start({{0, "SIM A", {40}}});
    std::string intervalRange, thresholdRange, iconButton;
    BOOL portEnabledAtFirst = FALSE, portEnabledAfter = TRUE;
    Run({
        [&](HWND dialog) {
            intervalRange = ModalScript::Text(dialog, IDC_INTERVAL_RANGE);
            thresholdRange = ModalScript::Text(dialog, IDC_THRESHOLD_RANGE);
            iconButton = ModalScript::Text(dialog, IDC_ICON_FILE);
            portEnabledAtFirst = IsWindowEnabled(GetDlgItem(dialog, IDC_PORT_EDIT));
            EXPECT_TRUE(SaveWindowPicture(dialog, "settings_dialog.png"));
            SetDlgItemTextA(dialog, IDC_INTERVAL_EDIT, "5");      // below the range
            SetDlgItemTextA(dialog, IDC_THRESHOLD_EDIT, "45");
            ModalScript::Click(dialog, IDC_USE_NETWORK);           // on
            ModalScript::Click(dialog, IDC_USE_NETWORK);           // off again
            portEnabledAfter = IsWindowEnabled(GetDlgItem(dialog, IDC_PORT_EDIT));
            SetDlgItemTextA(dialog, IDC_PORT_EDIT, "10009");
            ModalScript::Click(dialog, IDC_NO_TRAY_ICON);
            ModalScript::Click(dialog, IDOK);
        },
    });
    EXPECT_EQ(intervalRange, "(30 ～ 3600)");
    EXPECT_EQ(thresholdRange, "(30 ～ 60)");
    EXPECT_EQ(iconButton, "7SEG_G.KVX");
    EXPECT_TRUE(portEnabledAtFirst);
    EXPECT_FALSE(portEnabledAfter);
    const Settings& settings = app_->settings;
    EXPECT_EQ(settings.TimerCurrent, 60u);
    EXPECT_EQ(settings.ThresholdCurrent, 45u);
    EXPECT_EQ(settings.UseNetwork, 0);
    EXPECT_EQ(settings.Port, 10009u);
    EXPECT_EQ(settings.NoTrayIcon, 1);
    EXPECT_EQ(ReadIni(kKelvixIni, "Threshold", "Current"), "45");
    EXPECT_EQ(ReadIni(kKelvixIni, "Network", "Port"), "10009");
    EXPECT_EQ(ReadIni(kKelvixIni, "Threshold", "NvmeCurrent"), "78") << "the dialog's range does not cap it";
    EXPECT_EQ(app_->measurementTimer, kMeasurementTimerId);
    Command(CMD_MEASURE_NOW);
    EXPECT_EQ(app_->trayIcon.CurrentSlot(), kSlotFixedIcon);
}

TEST_F(SettingsDialog, SleepingDriveChoices)
{
    WriteIni(kKelvixIni, "Timer", "WakeAfter", "1500");  // beyond what the dialog offers
    Start({{0, "SIM A", {40}}});
    bool checkedAtFirst = false;
    std::string countAtFirst;
    BOOL countEnabledAtFirst = FALSE, countEnabledOff = TRUE, countEnabledOn = FALSE;
    Run({
        [&](HWND dialog) {
            checkedAtFirst = IsDlgButtonChecked(dialog, IDC_NO_WAKE) == BST_CHECKED;
            countAtFirst = ModalScript::Text(dialog, IDC_WAKE_AFTER_EDIT);
            countEnabledAtFirst = IsWindowEnabled(GetDlgItem(dialog, IDC_WAKE_AFTER_EDIT));
            EXPECT_TRUE(SaveWindowPicture(dialog, "settings_dialog_sleep.png"));
            SetDlgItemTextA(dialog, IDC_WAKE_AFTER_EDIT, "3");
            ModalScript::Click(dialog, IDC_NO_WAKE);  // off
            countEnabledOff = IsWindowEnabled(GetDlgItem(dialog, IDC_WAKE_AFTER_EDIT));
            ModalScript::Click(dialog, IDC_NO_WAKE);  // on
            countEnabledOn = IsWindowEnabled(GetDlgItem(dialog, IDC_WAKE_AFTER_EDIT));
            ModalScript::Click(dialog, IDC_NO_WAKE);  // off to store
            ModalScript::Click(dialog, IDOK);
        },
    });
    EXPECT_TRUE(checkedAtFirst) << "on by default";
    EXPECT_EQ(countAtFirst, "999");
    EXPECT_TRUE(countEnabledAtFirst);
    EXPECT_FALSE(countEnabledOff);
    EXPECT_TRUE(countEnabledOn);
    EXPECT_EQ(app_->settings.NoWake, 0);
    EXPECT_EQ(app_->settings.WakeAfter, 3u);
    EXPECT_EQ(ReadIni(kKelvixIni, "Timer", "NoWake"), "0");
    EXPECT_EQ(ReadIni(kKelvixIni, "Timer", "WakeAfter"), "3");
}

TEST_F(SettingsDialog, CancelStoresNothing)
{
    Start({{0, "SIM A", {40}}});
    Run({[&](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_LOG_FILE, "C:\\PICKED.LOG");  // as if picked
        SetDlgItemTextA(dialog, IDC_THRESHOLD_EDIT, "50");
        ModalScript::Click(dialog, IDCANCEL);
    }});
    EXPECT_STREQ(app_->settings.LogFile, "KELVIX.LOG");
    EXPECT_EQ(app_->settings.ThresholdCurrent, 40u);
    EXPECT_EQ(ReadIni(kKelvixIni, "Common", "LogFile"), "");
}

TEST_F(SettingsDialog, GlyphFileReplacedOnlyWhenItChangesAndLoads)
{
    Start({{0, "SIM A", {41}}});
    const HICON first = app_->iconTable.icons[141];
    // Same path: nothing is reloaded.
    Run({[&](HWND dialog) { ModalScript::Click(dialog, IDOK); }});
    EXPECT_EQ(app_->iconTable.icons[141], first);

    // A file without icon 543: message 5 over the dialog, the old pictures stay.
    std::string shown;
    Run({
        [&](HWND dialog) {
            SetDlgItemTextA(dialog, IDC_ICON_FILE, "NO543.KVX");
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
        },
        [&](HWND box) {
            shown = ModalScript::BoxText(box);
            ModalScript::Click(box, IDOK);
        },
    });
    EXPECT_EQ(shown, "トレイアイコンファイルの読み込みに失敗しました。");
    EXPECT_STREQ(app_->settings.IconFile, "7SEG_G.KVX");
    EXPECT_EQ(app_->iconTable.icons[141], first);
    EXPECT_EQ(app_->trayIcon.SlotIcon(141), first);
    EXPECT_EQ(ReadIni(kKelvixIni, "Common", "IconFile"), "7SEG_G.KVX");  // the rest was saved

    // Another good file: new pictures in the table and the tray.
    Run({[&](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_ICON_FILE, "OTHER.KVX");
        ModalScript::Click(dialog, IDOK);
    }});
    EXPECT_STREQ(app_->settings.IconFile, "OTHER.KVX");
    EXPECT_NE(app_->iconTable.icons[141], first);
    EXPECT_EQ(app_->trayIcon.SlotIcon(141), app_->iconTable.icons[141]);
    EXPECT_EQ(app_->trayIcon.Record().hIcon, app_->iconTable.icons[141]);
}


// A malformed allowed-hosts entry keeps the dialog open with a message naming it, and
// nothing is stored; the corrected list and the rate are then saved and used.
TEST_F(SettingsDialog, MalformedAllowedHostsKeepTheDialogOpen)
{
    Start({{0, "SIM A", {40}}});
    std::string shownList, shownRate, message;
    bool stillOpen = false;
    Run({
        [&](HWND dialog) {
            EXPECT_TRUE(SaveWindowPicture(dialog, "settings_dialog_network.png"));
            shownList = ModalScript::Text(dialog, IDC_ALLOWED_HOSTS);
            shownRate = ModalScript::Text(dialog, IDC_RATE_EDIT);
            SetDlgItemTextA(dialog, IDC_ALLOWED_HOSTS, "192.168.0.0/16, 10.0.0.0/33");
            SetDlgItemTextA(dialog, IDC_RATE_EDIT, "9");
            SetDlgItemTextA(dialog, IDC_THRESHOLD_EDIT, "50");
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
        },
        [&](HWND box) {
            message = ModalScript::BoxText(box);
            EXPECT_TRUE(SaveWindowPicture(box, "settings_allowed_hosts_error.png"));
            ModalScript::Click(box, IDOK);
        },
        [&](HWND dialog) {
            stillOpen = app_->settingsDialog == dialog;
            SetDlgItemTextA(dialog, IDC_ALLOWED_HOSTS, " 192.168.0.0/16 , 203.0.113.7 ");
            ModalScript::Click(dialog, IDOK);
        },
    });
    EXPECT_EQ(shownList, "127.0.0.0/8, 10.0.0.0/8, 172.16.0.0/12, 192.168.0.0/16, 169.254.0.0/16");
    EXPECT_EQ(shownRate, "5");
    EXPECT_NE(message.find("2 番目"), std::string::npos) << message;
    EXPECT_NE(message.find("10.0.0.0/33"), std::string::npos) << message;
    EXPECT_TRUE(stillOpen);
    EXPECT_STREQ(app_->settings.AllowedHosts, " 192.168.0.0/16 , 203.0.113.7 ");
    EXPECT_EQ(app_->settings.ReportsPerSecond, 9u);
    EXPECT_EQ(app_->settings.ThresholdCurrent, 50u);
    EXPECT_EQ(ReadIni(kKelvixIni, "Network", "AllowedHosts"), "192.168.0.0/16 , 203.0.113.7");
    EXPECT_EQ(ReadIni(kKelvixIni, "Network", "ReportsPerSecond"), "9");
}

// About dialog 101, run through command 32798.
class AboutDialog : public MonitorApp {
protected:
    struct Seen {
        std::string caption, description, version, legal;
        std::vector<std::string> headers;
        std::vector<int> widths;
        std::vector<std::vector<std::string>> rows;
        DWORD listStyle = 0, listWindowExStyle = 0, extendedStyle = 0;
        HFONT titleFont = nullptr, textFont = nullptr;
        bool recorded = false;
    };

    static Seen Read(HWND dialog)
    {
        Seen seen;
        char caption[64] = {};
        GetWindowTextA(dialog, caption, sizeof caption);
        seen.caption = caption;
        seen.description = ModalScript::Text(dialog, 1001);
        seen.version = ModalScript::Text(dialog, 1002);
        seen.legal = ModalScript::Text(dialog, 1003);
        seen.titleFont = reinterpret_cast<HFONT>(SendDlgItemMessageA(dialog, 1001, WM_GETFONT, 0, 0));
        seen.textFont = reinterpret_cast<HFONT>(SendDlgItemMessageA(dialog, 1003, WM_GETFONT, 0, 0));
        HWND list = GetDlgItem(dialog, 1004);
        seen.listStyle = static_cast<DWORD>(GetWindowLongA(list, GWL_STYLE));
        seen.listWindowExStyle = static_cast<DWORD>(GetWindowLongA(list, GWL_EXSTYLE));
        seen.extendedStyle = static_cast<DWORD>(SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
        for (int column = 0;; ++column) {
            char header[64] = {};
            LVCOLUMNA entry{};
            entry.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
            entry.pszText = header;
            entry.cchTextMax = sizeof header;
            if (!SendMessageA(list, LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&entry))) break;
            EXPECT_EQ(entry.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT) << column;
            seen.headers.push_back(header);
            seen.widths.push_back(entry.cx);
        }
        const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; row < count; ++row) {
            std::vector<std::string> cells;
            for (int column = 0; column < static_cast<int>(seen.headers.size()); ++column) {
                char text[128] = {};
                LVITEMA item{};
                item.iSubItem = column;
                item.pszText = text;
                item.cchTextMax = sizeof text;
                SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
                cells.push_back(text);
            }
            seen.rows.push_back(cells);
        }
        return seen;
    }

    // Opens the dialog, reads it, runs `then` on it, and expects it closed afterwards.
    Seen Run(const std::function<void(HWND)>& then)
    {
        Seen seen;
        ModalScript script({[&](HWND dialog) {
            seen = Read(dialog);
            seen.recorded = app_->aboutDialog == dialog;
            then(dialog);
        }});
        Command(CMD_ABOUT);
        EXPECT_TRUE(script.Finished());
        EXPECT_EQ(app_->aboutDialog, nullptr);
        return seen;
    }
};

using Row = std::vector<std::string>;

BOOL CALLBACK CountVisibleDialogs(HWND window, LPARAM count)
{
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if (std::strcmp(className, "#32770") == 0 && IsWindowVisible(window)) {
        ++*reinterpret_cast<int*>(count);
    }
    return TRUE;
}

TEST_F(AboutDialog, ShowsTheVersionResourceAndOneRowPerPresentDrive)
{
    Start({{0, "SIM ONE", {35}}, {2, "SIM TWO", {}}});
    const Seen seen = Run([](HWND dialog) {
        EXPECT_TRUE(SaveWindowPicture(dialog, "about_dialog.png"));
        SendDlgItemMessageA(dialog, 1004, LVM_SCROLL, 1000, 0);  // to the marks on the right
        UpdateWindow(dialog);
        EXPECT_TRUE(SaveWindowPicture(dialog, "about_dialog_marks.png"));
        ModalScript::Click(dialog, IDOK);
    });
    EXPECT_TRUE(seen.recorded);
    EXPECT_EQ(seen.caption, "バージョン情報");
    EXPECT_EQ(seen.description, "KELVIX ハードディスク温度モニタ");
    EXPECT_EQ(seen.version, "Version " KV_VERSION_TEXT);
    EXPECT_EQ(seen.legal, KV_LEGAL_COPYRIGHT);
    EXPECT_EQ(seen.headers, (Row{"#", "ModelNumber", "FirmwareRev", "SerialNumber", "Capacity", "Mode",
                                 "TMP", "VER", "IDS", "DA", "AT", "ID", "HEALTH"}));
    // The given widths, widened where a header or a cell would be cut.
    EXPECT_EQ(seen.widths, (std::vector<int>{22, 150, 100, 100, 100, 100, 34, 34, 34, 30, 30, 60, 60}));
    // Simulated drives without firmware and serial lines report "1.00" and SIM<8-digit number>;
    // the session's database names attribute 194 for "SIM".
    ASSERT_EQ(seen.rows.size(), 2u);
    EXPECT_EQ(seen.rows[0], (Row{"0", "SIM ONE", "1.00", "SIM00000000", "78.15GB", "UltraDMA-5",
                                 "○", "○", "○", "○", "○", "194 DB", "正常"}));
    EXPECT_EQ(seen.rows[1], (Row{"2", "SIM TWO", "1.00", "SIM00000002", "78.15GB", "UltraDMA-5",
                                 "×", "○", "○", "○", "○", "194 DB", "正常"}));
    const DWORD listStyles = LVS_REPORT | LVS_SINGLESEL | LVS_NOLABELWRAP;
    EXPECT_EQ(seen.listStyle & (LVS_TYPEMASK | LVS_SINGLESEL | LVS_NOLABELWRAP), listStyles);
    // The list view turns a plain border into a sunken edge.
    EXPECT_TRUE((seen.listStyle & WS_BORDER) || (seen.listWindowExStyle & WS_EX_CLIENTEDGE))
        << std::hex << seen.listStyle << " " << seen.listWindowExStyle;
    const DWORD extended = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP;
    EXPECT_EQ(seen.extendedStyle & extended, extended);

    // The fonts: made for this opening, deleted when it closed.
    ASSERT_NE(seen.titleFont, nullptr);
    ASSERT_NE(seen.textFont, nullptr);
    EXPECT_NE(seen.titleFont, seen.textFont);
    EXPECT_EQ(GetObjectType(seen.titleFont), 0u);
    EXPECT_EQ(GetObjectType(seen.textFont), 0u);
}

TEST_F(AboutDialog, FontsAreTheProgramsTitleAndTextFonts)
{
    Start({{0, "SIM ONE", {35}}});
    LOGFONTA title{}, text{};
    Run([&](HWND dialog) {
        GetObjectA(reinterpret_cast<HFONT>(SendDlgItemMessageA(dialog, 1001, WM_GETFONT, 0, 0)), sizeof title, &title);
        GetObjectA(reinterpret_cast<HFONT>(SendDlgItemMessageA(dialog, 1002, WM_GETFONT, 0, 0)), sizeof text, &text);
        ModalScript::Click(dialog, IDOK);
    });
    const struct {
        const LOGFONTA& font;
        LONG height;
    } cases[] = {{title, 16}, {text, 14}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.font.lfHeight, c.height);
        EXPECT_EQ(c.font.lfWidth, 7);
        EXPECT_EQ(c.font.lfWeight, 700);
        EXPECT_EQ(c.font.lfCharSet, 0);
        EXPECT_STREQ(c.font.lfFaceName, "MS Shell Dlg 2");
    }
}

TEST_F(AboutDialog, EscapeClosesAndItOpensAgainOnlyOnce)
{
    Start({{1, "SIM A", {40}}});
    int dialogsWhileOpen = 0;
    const Seen first = Run([&](HWND dialog) {
        Command(CMD_ABOUT);  // a second request while it is open
        EnumThreadWindows(GetCurrentThreadId(), CountVisibleDialogs, reinterpret_cast<LPARAM>(&dialogsWhileOpen));
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);  // what the dialog manager sends for Escape
    });
    EXPECT_EQ(dialogsWhileOpen, 1);
    ASSERT_EQ(first.rows.size(), 1u);
    EXPECT_EQ(first.rows[0][0], "1");
    // Opened again: new font handles, the same list.
    const Seen second = Run([](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDOK, 0); });
    EXPECT_TRUE(second.recorded);
    EXPECT_NE(second.titleFont, nullptr);
    EXPECT_EQ(second.rows, first.rows);
}

TEST_F(AboutDialog, OnlyDrivesBelowTheProbeCountGetRows)
{
    Start({{1, "SIM LOW", {40}}, {5, "SIM HIGH", {41}}});
    app_->drives.probeCount = 4;  // as on the 9x family
    const Seen seen = Run([](HWND dialog) { ModalScript::Click(dialog, IDOK); });
    ASSERT_EQ(seen.rows.size(), 1u);
    EXPECT_EQ(seen.rows[0][0], "1");
    EXPECT_EQ(seen.rows[0][1], "SIM LOW");
}

TEST_F(AboutDialog, ClosingTheMainWindowClosesItAndClearsTheHandle)
{
    Start({{0, "SIM A", {40}}});
    bool closedWithOwner = false;
    ModalScript script({[&](HWND dialog) {
        DestroyWindow(window_);
        closedWithOwner = !IsWindow(dialog);
    }});
    Command(CMD_ABOUT);
    EXPECT_TRUE(script.Finished());
    EXPECT_TRUE(closedWithOwner);
    EXPECT_EQ(app_->aboutDialog, nullptr);
}

}  // namespace
