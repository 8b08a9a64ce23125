#include "settings_dialog_win.h"

#include "allowed_networks.h"
#include "app_state_win.h"
#include "error_box_win.h"
#include "monitor_ids.h"
#include "mqtt_dialog_win.h"
#include "notify_dialog_win.h"
#include "publication_win.h"
#include "tray_picture_win.h"
#include "wide_text_win.h"
#include "window_helpers_win.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// The limits of a field are those of its key in KELVIX's table.
const SettingKey& Key(const char* section, const char* key)
{
    return *KelvixSettingKeys().Find(section, key);
}

// A spin over a key's range as the dialog offers it, no wider than a spin's 16-bit position.
void SetKeySpin(HWND dialog, int spin, const SettingKey& key, std::uint32_t value)
{
    const std::uint32_t maximum = key.dialogMaximum < 0xFFFF ? static_cast<std::uint32_t>(key.dialogMaximum) : 0xFFFF;
    SendDlgItemMessageA(dialog, spin, UDM_SETRANGE32, static_cast<WPARAM>(key.minimum), maximum);
    SendDlgItemMessageA(dialog, spin, UDM_SETPOS32, 0, static_cast<LPARAM>(value < maximum ? value : maximum));
}

void LimitText(HWND dialog, int control, const SettingKey& key)
{
    SendDlgItemMessageA(dialog, control, EM_LIMITTEXT, static_cast<WPARAM>(key.maximum), 0);
}

void SetRangeText(HWND dialog, int control, unsigned minimum, unsigned maximum)
{
    char text[64];
    std::snprintf(text, sizeof text, "(%u ～ %u)", minimum, maximum);
    SetDlgItemTextCp932(dialog, control, text);
}

void SetSpin16(HWND dialog, int spin, unsigned minimum, unsigned maximum, unsigned position)
{
    SendDlgItemMessageA(dialog, spin, UDM_SETRANGE, 0,
        MAKELPARAM(static_cast<WORD>(maximum), static_cast<WORD>(minimum)));
    SendDlgItemMessageA(dialog, spin, UDM_SETPOS, 0, MAKELPARAM(static_cast<WORD>(position), 0));
}

// The spin's position after it read its buddy: a typed number outside the range, or
// no number at all, leaves the position it had.
unsigned SpinPosition(HWND dialog, int spin)
{
    BOOL failed = FALSE;
    const LRESULT position = SendDlgItemMessageA(dialog, spin, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&failed));
    return static_cast<unsigned>(position) & 0xFFFF;
}

std::int32_t Checked(HWND dialog, int control)
{
    return IsDlgButtonChecked(dialog, control) == BST_CHECKED ? 1 : 0;
}

void Check(HWND dialog, int control, std::int32_t value)
{
    CheckDlgButton(dialog, control, value != 0 ? BST_CHECKED : BST_UNCHECKED);
}

void ReadText(HWND dialog, int control, char (&field)[kPathSize])
{
    GetDlgItemTextA(dialog, control, field, kPathSize);
}

// The count only means something while sleeping drives are left alone.
void EnableWakeAfter(HWND dialog)
{
    const BOOL on = IsDlgButtonChecked(dialog, IDC_NO_WAKE) == BST_CHECKED;
    EnableWindow(GetDlgItem(dialog, IDC_WAKE_AFTER_EDIT), on);
    EnableWindow(GetDlgItem(dialog, IDC_WAKE_AFTER_SPIN), on);
}

// A port typed into an export port field: 0 turns the service off; anything that is not
// a port keeps the value it had.
std::uint32_t ExportPort(HWND dialog, int control, std::uint32_t previous)
{
    BOOL translated = FALSE;
    const UINT port = GetDlgItemInt(dialog, control, &translated, FALSE);
    return translated && port <= Key("Export", "HddtempPort").maximum ? port : previous;
}

void Open(HWND dialog)
{
    AppState& app = App();
    const Settings& settings = app.settings;
    app.settingsDialog = dialog;
    CentreDialogWithIcon(dialog, app.instance, kProgramIconId);

    SetSpin16(dialog, IDC_INTERVAL_SPIN, settings.TimerMinimum, settings.TimerMaximum, settings.TimerCurrent);
    SetRangeText(dialog, IDC_INTERVAL_RANGE, settings.TimerMinimum, settings.TimerMaximum);
    SetSpin16(dialog, IDC_THRESHOLD_SPIN, settings.ThresholdMinimum, settings.ThresholdMaximum,
        settings.ThresholdCurrent);
    SetRangeText(dialog, IDC_THRESHOLD_RANGE, settings.ThresholdMinimum, settings.ThresholdMaximum);
    Check(dialog, IDC_NO_TRAY_ICON, settings.NoTrayIcon);
    Check(dialog, IDC_USE_BALLOON, settings.UseBalloon);
    Check(dialog, IDC_USE_INFORMATION, settings.UseInformation);
    Check(dialog, IDC_USE_NETWORK, settings.UseNetwork);
    SetKeySpin(dialog, IDC_PORT_SPIN, Key("Network", "Port"), settings.Port);
    LimitText(dialog, IDC_ALLOWED_HOSTS, Key("Network", "AllowedHosts"));
    SetDlgItemTextA(dialog, IDC_ALLOWED_HOSTS, settings.AllowedHosts);
    SetKeySpin(dialog, IDC_RATE_SPIN, Key("Network", "ReportsPerSecond"), settings.ReportsPerSecond);
    Check(dialog, IDC_NO_WAKE, settings.NoWake);
    SetKeySpin(dialog, IDC_WAKE_AFTER_SPIN, Key("Timer", "WakeAfter"), settings.WakeAfter);
    EnableWakeAfter(dialog);
    Check(dialog, IDC_USE_LOG, settings.UseLog);
    SetDlgItemTextA(dialog, IDC_LOG_FILE, settings.LogFile);
    SetDlgItemTextA(dialog, IDC_CFG_FILE, settings.CfgFile);
    SetDlgItemTextA(dialog, IDC_ICON_FILE, settings.IconFile);
    SetDlgItemInt(dialog, IDC_HDDTEMP_PORT, settings.HddtempPort, FALSE);
    SetDlgItemInt(dialog, IDC_METRICS_PORT, settings.MetricsPort, FALSE);
    LimitText(dialog, IDC_LISTEN_ADDRESS, Key("Export", "ListenAddress"));
    SetDlgItemTextA(dialog, IDC_LISTEN_ADDRESS, settings.ListenAddress);
    ShowWindow(dialog, SW_SHOW);
}

void Pick(HWND dialog, int button, const char* savedPath, const char* title, const char* filter)
{
    char path[kPathSize];
    std::strncpy(path, savedPath, sizeof path - 1);
    path[sizeof path - 1] = '\0';
    if (PickFile(dialog, title, filter, path, sizeof path)) {
        SetDlgItemTextA(dialog, button, path);
    }
}

// A list the service could not use keeps the dialog open on the field, with the reason.
bool ReadAllowedHosts(HWND dialog, char (&field)[kAllowedHostsSize])
{
    char typed[kAllowedHostsSize] = {};
    GetDlgItemTextA(dialog, IDC_ALLOWED_HOSTS, typed, sizeof typed);
    AllowedNetworks check;
    NetworkListProblem problem;
    if (!check.Parse(typed, &problem)) {
        char text[512];
        DescribeNetworkListProblem(problem, text, sizeof text);
        ShowErrorText(dialog, text);
        SetFocus(GetDlgItem(dialog, IDC_ALLOWED_HOSTS));
        SendDlgItemMessageA(dialog, IDC_ALLOWED_HOSTS, EM_SETSEL, 0, -1);
        return false;
    }
    std::memcpy(field, typed, sizeof typed);
    return true;
}

void Confirm(HWND dialog)
{
    AppState& app = App();
    Settings& settings = app.settings;
    if (!ReadAllowedHosts(dialog, settings.AllowedHosts)) {
        return;
    }
    settings.TimerCurrent = SpinPosition(dialog, IDC_INTERVAL_SPIN);
    settings.ThresholdCurrent = SpinPosition(dialog, IDC_THRESHOLD_SPIN);
    settings.NoTrayIcon = Checked(dialog, IDC_NO_TRAY_ICON);
    settings.UseBalloon = Checked(dialog, IDC_USE_BALLOON);
    settings.UseInformation = Checked(dialog, IDC_USE_INFORMATION);
    settings.UseNetwork = Checked(dialog, IDC_USE_NETWORK);
    settings.Port = SpinPosition(dialog, IDC_PORT_SPIN);
    settings.ReportsPerSecond = SpinPosition(dialog, IDC_RATE_SPIN);
    settings.NoWake = Checked(dialog, IDC_NO_WAKE);
    settings.WakeAfter = SpinPosition(dialog, IDC_WAKE_AFTER_SPIN);
    settings.UseLog = Checked(dialog, IDC_USE_LOG);
    ReadText(dialog, IDC_LOG_FILE, settings.LogFile);
    ReadText(dialog, IDC_CFG_FILE, settings.CfgFile);
    settings.HddtempPort = ExportPort(dialog, IDC_HDDTEMP_PORT, settings.HddtempPort);
    settings.MetricsPort = ExportPort(dialog, IDC_METRICS_PORT, settings.MetricsPort);
    GetDlgItemTextA(dialog, IDC_LISTEN_ADDRESS, settings.ListenAddress, kListenAddressSize);

    char iconFile[kPathSize];
    ReadText(dialog, IDC_ICON_FILE, iconFile);
    if (std::strcmp(iconFile, settings.IconFile) != 0) {
        if (ReplaceGlyphFile(app.iconTable, app.trayIcon, iconFile, CurrentTraySlot())) {
            std::memcpy(settings.IconFile, iconFile, sizeof iconFile);
        } else {
            ShowError(dialog, MSG_GLYPHS_FAILED);
        }
    }
    if (!SaveSettings(settings)) {
        ShowWriteError(dialog, kSettingsFile);
    }
    app.settingsDialog = nullptr;
    EndDialog(dialog, IDOK);
}

// The [Mqtt] section is saved when its own dialog is confirmed, and the publisher
// starts over with it.
void EditMqttSettings(HWND dialog)
{
    AppState& app = App();
    MqttSettings settings = app.mqttSettings;
    if (!RunMqttDialog(dialog, settings)) {
        return;
    }
    if (!SaveMqttSettings(settings, kSettingsFile)) {
        ShowWriteError(dialog, kSettingsFile);
    }
    app.mqttSettings = settings;
    RestartMqtt();
}

void Cancel(HWND dialog)
{
    App().settingsDialog = nullptr;
    EndDialog(dialog, IDCANCEL);
}

void OnCommand(HWND dialog, WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) != BN_CLICKED) {
        return;
    }
    const Settings& settings = App().settings;
    const HWND control = reinterpret_cast<HWND>(lParam);
    // Identified by the window handle, so the dialog manager's IDOK/IDCANCEL (Enter,
    // Escape, the close box: no handle) are told apart below by id.
    if (control && control == GetDlgItem(dialog, IDC_USE_NETWORK)) {
        const BOOL on = IsDlgButtonChecked(dialog, IDC_USE_NETWORK) == BST_CHECKED;
        for (const int id : {IDC_PORT_EDIT, IDC_PORT_SPIN, IDC_ALLOWED_HOSTS, IDC_RATE_EDIT, IDC_RATE_SPIN}) {
            EnableWindow(GetDlgItem(dialog, id), on);
        }
    } else if (control && control == GetDlgItem(dialog, IDC_NOTIFY_SETTINGS)) {
        DialogBoxParamW(App().instance, MAKEINTRESOURCEW(kNotifyDialogId), dialog, NotifyDialogProc, 0);
    } else if (control && control == GetDlgItem(dialog, IDC_NO_WAKE)) {
        EnableWakeAfter(dialog);
    } else if (control && control == GetDlgItem(dialog, IDC_LOG_FILE)) {
        Pick(dialog, IDC_LOG_FILE, settings.LogFile, "ログファイルの選択",
            "ログファイル\0*.LOG\0全てのファイル\0*.*\0");
    } else if (control && control == GetDlgItem(dialog, IDC_CFG_FILE)) {
        Pick(dialog, IDC_CFG_FILE, settings.CfgFile, "データベースファイルの選択",
            "データベースファイル\0*.CFG\0全てのファイル\0*.*\0");
    } else if (control && control == GetDlgItem(dialog, IDC_ICON_FILE)) {
        Pick(dialog, IDC_ICON_FILE, settings.IconFile, "トレイアイコンファイルの選択",
            "トレイアイコンファイル\0*.KVX\0全てのファイル\0*.*\0");
    } else if (control && control == GetDlgItem(dialog, IDC_HOME_ASSISTANT)) {
        EditMqttSettings(dialog);
    } else if (LOWORD(wParam) == IDOK) {
        Confirm(dialog);
    } else if (LOWORD(wParam) == IDCANCEL) {
        Cancel(dialog);
    }
}

}  // namespace

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        Open(dialog);
        return TRUE;
    case WM_COMMAND:
        OnCommand(dialog, wParam, lParam);
        return TRUE;
    default:
        return FALSE;
    }
}
