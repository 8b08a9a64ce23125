#include "settings_dialog_win.h"

#include "allowed_networks.h"
#include "app_state_win.h"
#include "error_box_win.h"
#include "kelvix_texts.h"
#include "loaded_library.h"
#include "monitor_ids.h"
#include "mqtt_dialog_win.h"
#include "notify_dialog_win.h"
#include "publication_win.h"
#include "range_note.h"
#include "start_with_windows_win.h"
#include "tray_picture_win.h"
#include "wide_text_win.h"
#include "window_helpers_win.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// The pages' names, in the order of SettingsPage.
constexpr KelvixText kPageNames[kSettingsPageCount] = {KelvixText::PageMeasurement, KelvixText::PageNetwork,
    KelvixText::PageExport, KelvixText::PageFiles, KelvixText::PageNotify};

// The texts of the pages' labels, check boxes and buttons, set when the dialog opens.
struct ControlText {
    int control;
    KelvixText text;
};
constexpr ControlText kControlTexts[] = {
    {IDC_INTERVAL_LABEL, KelvixText::LabelInterval}, {IDC_INTERVAL_UNIT, KelvixText::UnitSeconds},
    {IDC_THRESHOLD_LABEL, KelvixText::LabelThreshold}, {IDC_THRESHOLD_UNIT, KelvixText::UnitDegrees},
    {IDC_NO_TRAY_ICON, KelvixText::CheckNoTrayIcon}, {IDC_USE_BALLOON, KelvixText::CheckUseBalloon},
    {IDC_USE_INFORMATION, KelvixText::CheckUseInformation}, {IDC_NO_WAKE, KelvixText::CheckNoWake},
    {IDC_WAKE_AFTER_LABEL, KelvixText::LabelWakeAfter}, {IDC_WAKE_AFTER_UNIT, KelvixText::UnitWakeAfter},
    {IDC_START_WITH_WINDOWS, KelvixText::MenuStartWithWindows},
    {IDC_USE_NETWORK, KelvixText::CheckUseNetwork}, {IDC_PORT_LABEL, KelvixText::LabelPort},
    {IDC_ALLOWED_HOSTS_LABEL, KelvixText::LabelAllowedHosts}, {IDC_RATE_LABEL, KelvixText::LabelRate},
    {IDC_RATE_UNIT, KelvixText::UnitRate}, {IDC_HDDTEMP_PORT_LABEL, KelvixText::LabelHddtempPort},
    {IDC_HDDTEMP_PORT_HINT, KelvixText::HintPortOff}, {IDC_METRICS_PORT_LABEL, KelvixText::LabelMetricsPort},
    {IDC_METRICS_PORT_HINT, KelvixText::HintPortOff}, {IDC_LISTEN_ADDRESS_LABEL, KelvixText::LabelListenAddress},
    {IDC_LISTEN_ADDRESS_HINT, KelvixText::HintListenAll}, {IDC_WEB_PAGE, KelvixText::LabelWebPage},
    {IDC_USE_LOG, KelvixText::CheckUseLog},
    {IDC_LOG_FILE_LABEL, KelvixText::PickLogFile}, {IDC_CFG_FILE_LABEL, KelvixText::PickDatabaseFile},
    {IDC_NOTIFY_SETTINGS, KelvixText::ButtonNotify}, {IDC_HOME_ASSISTANT, KelvixText::ButtonHomeAssistant},
};

void ShowTexts(HWND dialog)
{
    SetWindowTextW(dialog, WideFromCp932(Text(CommonText::MenuSettings)).c_str());
    for (const ControlText& text : kControlTexts) {
        SetDlgItemTextCp932(dialog, text.control, Text(text.text));
    }
    SetDlgItemTextCp932(dialog, IDC_ICON_FILE_LABEL, Text(CommonText::PickIconFile));
    SetDlgItemTextCp932(dialog, IDOK, Text(CommonText::ButtonApply));
    SetDlgItemTextCp932(dialog, IDCANCEL, Text(CommonText::ButtonCancel));
}

struct PagePart {
    int control;
    SettingsPage page;
};

// Every control of the pages; the tab control, OK and Cancel are on none.
constexpr PagePart kPageParts[] = {
    {IDC_INTERVAL_LABEL, PAGE_MEASUREMENT}, {IDC_INTERVAL_EDIT, PAGE_MEASUREMENT},
    {IDC_INTERVAL_SPIN, PAGE_MEASUREMENT}, {IDC_INTERVAL_UNIT, PAGE_MEASUREMENT},
    {IDC_INTERVAL_RANGE, PAGE_MEASUREMENT}, {IDC_THRESHOLD_LABEL, PAGE_MEASUREMENT},
    {IDC_THRESHOLD_EDIT, PAGE_MEASUREMENT}, {IDC_THRESHOLD_SPIN, PAGE_MEASUREMENT},
    {IDC_THRESHOLD_UNIT, PAGE_MEASUREMENT}, {IDC_THRESHOLD_RANGE, PAGE_MEASUREMENT},
    {IDC_NO_TRAY_ICON, PAGE_MEASUREMENT}, {IDC_USE_BALLOON, PAGE_MEASUREMENT},
    {IDC_USE_INFORMATION, PAGE_MEASUREMENT}, {IDC_NO_WAKE, PAGE_MEASUREMENT},
    {IDC_WAKE_AFTER_LABEL, PAGE_MEASUREMENT}, {IDC_WAKE_AFTER_EDIT, PAGE_MEASUREMENT},
    {IDC_WAKE_AFTER_SPIN, PAGE_MEASUREMENT}, {IDC_WAKE_AFTER_UNIT, PAGE_MEASUREMENT},
    {IDC_START_WITH_WINDOWS, PAGE_MEASUREMENT},
    {IDC_INTERVAL_NOTE, PAGE_MEASUREMENT}, {IDC_THRESHOLD_NOTE, PAGE_MEASUREMENT},

    {IDC_USE_NETWORK, PAGE_NETWORK}, {IDC_PORT_LABEL, PAGE_NETWORK}, {IDC_PORT_EDIT, PAGE_NETWORK},
    {IDC_PORT_SPIN, PAGE_NETWORK}, {IDC_ALLOWED_HOSTS_LABEL, PAGE_NETWORK}, {IDC_ALLOWED_HOSTS, PAGE_NETWORK},
    {IDC_RATE_LABEL, PAGE_NETWORK}, {IDC_RATE_EDIT, PAGE_NETWORK}, {IDC_RATE_SPIN, PAGE_NETWORK},
    {IDC_RATE_UNIT, PAGE_NETWORK},

    {IDC_HDDTEMP_PORT_LABEL, PAGE_EXPORT}, {IDC_HDDTEMP_PORT, PAGE_EXPORT}, {IDC_HDDTEMP_PORT_HINT, PAGE_EXPORT},
    {IDC_METRICS_PORT_LABEL, PAGE_EXPORT}, {IDC_METRICS_PORT, PAGE_EXPORT}, {IDC_METRICS_PORT_HINT, PAGE_EXPORT},
    {IDC_LISTEN_ADDRESS_LABEL, PAGE_EXPORT}, {IDC_LISTEN_ADDRESS, PAGE_EXPORT},
    {IDC_LISTEN_ADDRESS_HINT, PAGE_EXPORT}, {IDC_WEB_PAGE, PAGE_EXPORT},

    {IDC_USE_LOG, PAGE_FILES}, {IDC_LOG_FILE_LABEL, PAGE_FILES}, {IDC_LOG_FILE, PAGE_FILES},
    {IDC_CFG_FILE_LABEL, PAGE_FILES}, {IDC_CFG_FILE, PAGE_FILES}, {IDC_ICON_FILE_LABEL, PAGE_FILES},
    {IDC_ICON_FILE, PAGE_FILES},

    {IDC_NOTIFY_SETTINGS, PAGE_NOTIFY}, {IDC_HOME_ASSISTANT, PAGE_NOTIFY},
};

void ShowPage(HWND dialog, int page)
{
    for (const PagePart& part : kPageParts) {
        ShowWindow(GetDlgItem(dialog, part.control), part.page == page ? SW_SHOW : SW_HIDE);
    }
}

void SelectPage(HWND dialog, SettingsPage page)
{
    SendDlgItemMessageW(dialog, IDC_SETTINGS_PAGES, TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
    ShowPage(dialog, page);
}

// The pages drawn the classic way where themes exist: a themed page is lighter than the
// dialog, and the controls on it would stand in grey boxes.
void AddPages(HWND dialog)
{
    const HWND tabs = GetDlgItem(dialog, IDC_SETTINGS_PAGES);
    const LoadedLibrary uxtheme("UXTHEME.DLL");
    using SetWindowThemeCall = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
    if (const auto setWindowTheme = uxtheme.Find<SetWindowThemeCall>("SetWindowTheme")) {
        setWindowTheme(tabs, L" ", L" ");
    }
    for (int page = 0; page < kSettingsPageCount; ++page) {
        std::wstring name = WideFromCp932(Text(kPageNames[page]));
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = &name[0];
        SendMessageW(tabs, TCM_INSERTITEMW, static_cast<WPARAM>(page), reinterpret_cast<LPARAM>(&item));
    }
    SelectPage(dialog, PAGE_MEASUREMENT);
}

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
    std::snprintf(text, sizeof text, Text(KelvixText::RangeText), minimum, maximum);
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
    GetDlgItemTextCp932(dialog, control, field, kPathSize);
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
    ShowTexts(dialog);
    AddPages(dialog);

    SetSpin16(dialog, IDC_INTERVAL_SPIN, settings.TimerMinimum, settings.TimerMaximum, settings.TimerCurrent);
    SetRangeText(dialog, IDC_INTERVAL_RANGE, settings.TimerMinimum, settings.TimerMaximum);
    SetSpin16(dialog, IDC_THRESHOLD_SPIN, settings.ThresholdMinimum, settings.ThresholdMaximum,
        settings.ThresholdCurrent);
    SetRangeText(dialog, IDC_THRESHOLD_RANGE, settings.ThresholdMinimum, settings.ThresholdMaximum);
    // The spins cannot show a saved value outside their range: say what Apply will save.
    SetDlgItemTextCp932(dialog, IDC_INTERVAL_NOTE, IntervalNote(settings).c_str());
    SetDlgItemTextCp932(dialog, IDC_THRESHOLD_NOTE, ThresholdNote(settings).c_str());
    Check(dialog, IDC_NO_TRAY_ICON, settings.NoTrayIcon);
    Check(dialog, IDC_USE_BALLOON, settings.UseBalloon);
    Check(dialog, IDC_USE_INFORMATION, settings.UseInformation);
    Check(dialog, IDC_USE_NETWORK, settings.UseNetwork);
    SetKeySpin(dialog, IDC_PORT_SPIN, Key("Network", "Port"), settings.Port);
    LimitText(dialog, IDC_ALLOWED_HOSTS, Key("Network", "AllowedHosts"));
    SetDlgItemTextCp932(dialog, IDC_ALLOWED_HOSTS, settings.AllowedHosts);
    SetKeySpin(dialog, IDC_RATE_SPIN, Key("Network", "ReportsPerSecond"), settings.ReportsPerSecond);
    Check(dialog, IDC_NO_WAKE, settings.NoWake);
    SetKeySpin(dialog, IDC_WAKE_AFTER_SPIN, Key("Timer", "WakeAfter"), settings.WakeAfter);
    EnableWakeAfter(dialog);
    Check(dialog, IDC_USE_LOG, settings.UseLog);
    SetDlgItemTextCp932(dialog, IDC_LOG_FILE, settings.LogFile);
    SetDlgItemTextCp932(dialog, IDC_CFG_FILE, settings.CfgFile);
    SetDlgItemTextCp932(dialog, IDC_ICON_FILE, settings.IconFile);
    SetDlgItemInt(dialog, IDC_HDDTEMP_PORT, settings.HddtempPort, FALSE);
    SetDlgItemInt(dialog, IDC_METRICS_PORT, settings.MetricsPort, FALSE);
    LimitText(dialog, IDC_LISTEN_ADDRESS, Key("Export", "ListenAddress"));
    SetDlgItemTextCp932(dialog, IDC_LISTEN_ADDRESS, settings.ListenAddress);
    Check(dialog, IDC_WEB_PAGE, settings.WebPage);
    Check(dialog, IDC_START_WITH_WINDOWS, StartsWithWindows() ? 1 : 0);
    ShowWindow(dialog, SW_SHOW);
}

void Pick(HWND dialog, int button, const char* savedPath, const char* title, const char* filter)
{
    char path[kPathSize];
    std::strncpy(path, savedPath, sizeof path - 1);
    path[sizeof path - 1] = '\0';
    if (PickFile(dialog, title, filter, path, sizeof path)) {
        SetDlgItemTextCp932(dialog, button, path);
    }
}

// A list the service could not use keeps the dialog open on the field, with the reason.
bool ReadAllowedHosts(HWND dialog, char (&field)[kAllowedHostsSize])
{
    char typed[kAllowedHostsSize] = {};
    GetDlgItemTextCp932(dialog, IDC_ALLOWED_HOSTS, typed, sizeof typed);
    AllowedNetworks check;
    NetworkListProblem problem;
    if (!check.Parse(typed, &problem)) {
        char text[512];
        DescribeNetworkListProblem(problem, text, sizeof text);
        ShowErrorText(dialog, text);
        SelectPage(dialog, PAGE_NETWORK);
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
    settings.WebPage = Checked(dialog, IDC_WEB_PAGE);
    GetDlgItemTextCp932(dialog, IDC_LISTEN_ADDRESS, settings.ListenAddress, kListenAddressSize);

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
    // Not a setting of the file: the task itself is what Windows reads at logon.
    ChangeStartWithWindows(dialog, Checked(dialog, IDC_START_WITH_WINDOWS) != 0);
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
        Pick(dialog, IDC_LOG_FILE, settings.LogFile, Text(KelvixText::PickLogFile), Text(KelvixText::LogFileFilter));
    } else if (control && control == GetDlgItem(dialog, IDC_CFG_FILE)) {
        Pick(dialog, IDC_CFG_FILE, settings.CfgFile, Text(KelvixText::PickDatabaseFile),
            Text(KelvixText::DatabaseFileFilter));
    } else if (control && control == GetDlgItem(dialog, IDC_ICON_FILE)) {
        Pick(dialog, IDC_ICON_FILE, settings.IconFile, Text(CommonText::PickIconFile), Text(CommonText::IconFileFilter));
    } else if (control && control == GetDlgItem(dialog, IDC_HOME_ASSISTANT)) {
        EditMqttSettings(dialog);
    } else if (LOWORD(wParam) == IDOK) {
        Confirm(dialog);
    } else if (LOWORD(wParam) == IDCANCEL) {
        Cancel(dialog);
    }
}

void OnNotify(HWND dialog, const NMHDR& header)
{
    if (header.idFrom == IDC_SETTINGS_PAGES && header.code == TCN_SELCHANGE) {
        ShowPage(dialog, static_cast<int>(SendMessageW(header.hwndFrom, TCM_GETCURSEL, 0, 0)));
    }
}

}  // namespace

int SettingsPageOf(int control)
{
    for (const PagePart& part : kPageParts) {
        if (part.control == control) {
            return part.page;
        }
    }
    return -1;
}

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        Open(dialog);
        return TRUE;
    case WM_COMMAND:
        OnCommand(dialog, wParam, lParam);
        return TRUE;
    case WM_NOTIFY:
        OnNotify(dialog, *reinterpret_cast<const NMHDR*>(lParam));
        return FALSE;  // the spins' notifications keep their default answers
    default:
        return FALSE;
    }
}
