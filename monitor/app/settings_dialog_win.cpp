#include "settings_dialog.h"

#include "app_state.h"
#include "error_box.h"
#include "main_window.h"
#include "monitor_ids.h"
#include "window_helpers.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr unsigned kPortMinimum = 10000;
constexpr unsigned kPortMaximum = 65535;
constexpr unsigned kWakeAfterMaximum = 999;  // ticks

void SetRangeText(HWND dialog, int control, unsigned minimum, unsigned maximum)
{
    char text[64];
    std::snprintf(text, sizeof text, "(%u ～ %u)", minimum, maximum);
    SetDlgItemTextA(dialog, control, text);
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
    SendDlgItemMessageA(dialog, IDC_PORT_SPIN, UDM_SETRANGE32, kPortMinimum, kPortMaximum);
    SendDlgItemMessageA(dialog, IDC_PORT_SPIN, UDM_SETPOS32, 0, static_cast<LPARAM>(settings.Port));
    Check(dialog, IDC_NO_WAKE, settings.NoWake);
    SetSpin16(dialog, IDC_WAKE_AFTER_SPIN, 0, kWakeAfterMaximum,
        settings.WakeAfter < kWakeAfterMaximum ? settings.WakeAfter : kWakeAfterMaximum);
    EnableWakeAfter(dialog);
    Check(dialog, IDC_USE_LOG, settings.UseLog);
    SetDlgItemTextA(dialog, IDC_LOG_FILE, settings.LogFile);
    SetDlgItemTextA(dialog, IDC_CFG_FILE, settings.CfgFile);
    SetDlgItemTextA(dialog, IDC_ICON_FILE, settings.IconFile);
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

void Confirm(HWND dialog)
{
    AppState& app = App();
    Settings& settings = app.settings;
    settings.TimerCurrent = SpinPosition(dialog, IDC_INTERVAL_SPIN);
    settings.ThresholdCurrent = SpinPosition(dialog, IDC_THRESHOLD_SPIN);
    settings.NoTrayIcon = Checked(dialog, IDC_NO_TRAY_ICON);
    settings.UseBalloon = Checked(dialog, IDC_USE_BALLOON);
    settings.UseInformation = Checked(dialog, IDC_USE_INFORMATION);
    settings.UseNetwork = Checked(dialog, IDC_USE_NETWORK);
    settings.Port = SpinPosition(dialog, IDC_PORT_SPIN);
    settings.NoWake = Checked(dialog, IDC_NO_WAKE);
    settings.WakeAfter = SpinPosition(dialog, IDC_WAKE_AFTER_SPIN);
    settings.UseLog = Checked(dialog, IDC_USE_LOG);
    ReadText(dialog, IDC_LOG_FILE, settings.LogFile);
    ReadText(dialog, IDC_CFG_FILE, settings.CfgFile);

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
        EnableWindow(GetDlgItem(dialog, IDC_PORT_EDIT), on);
        EnableWindow(GetDlgItem(dialog, IDC_PORT_SPIN), on);
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
