#include "settings_dialog_win.h"

#include "common_controls_win.h"
#include "client_state_win.h"
#include "pelito_error_win.h"
#include "pelito_messages.h"
#include "pelito_resources.h"
#include "pelito_texts.h"
#include "report_query_win.h"
#include "tray_digits_win.h"
#include "unit_range_text.h"
#include "wide_text_win.h"
#include "window_helpers_win.h"

#include <commctrl.h>

#include <cstring>
#include <string>

namespace {

// A spin over the range of its key in PELITO's table, at the saved value's nearest point
// (a value beyond 16 bits must not wrap into the range).
void SetSpin(HWND dialog, int spin, const char* key, std::uint32_t value)
{
    const SettingKey& range = *PelitoSettingKeys().Find("", key);
    SendDlgItemMessageA(dialog, spin, UDM_SETRANGE32, static_cast<WPARAM>(range.minimum),
        static_cast<LPARAM>(range.maximum));
    SendDlgItemMessageA(dialog, spin, UDM_SETPOS32, 0, static_cast<LPARAM>(SpinValue(range, value)));
}

// The position after the control read its buddy, low 16 bits.
std::uint32_t SpinPosition(HWND dialog, int spin)
{
    BOOL failed = FALSE;
    const LRESULT position = SendDlgItemMessageA(dialog, spin, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&failed));
    return static_cast<std::uint32_t>(position) & 0xFFFF;
}

// Every text of the dialog, by control id, in the program's language.
void ShowTexts(HWND dialog)
{
    struct Label {
        int control;
        PelitoText text;
    };
    static constexpr Label kLabels[] = {
        {IDC_HOST_LABEL, PelitoText::LabelHost},       {IDC_PORT_LABEL, PelitoText::LabelPort},
        {IDC_TIMEOUT_LABEL, PelitoText::LabelTimeout}, {IDC_TIMER_LABEL, PelitoText::LabelTimer},
        {IDC_TEMP_LABEL, PelitoText::LabelTemperature},
        {IDC_ICON_FILE_LABEL, PelitoText::LabelIconFile},
    };
    SetWindowTextW(dialog, WideFromCp932(Text(CommonText::MenuSettings)).c_str());
    for (const Label& label : kLabels) {
        SetDlgItemTextCp932(dialog, label.control, Text(label.text));
    }
    // The ranges are the spins' own.
    SetDlgItemTextCp932(dialog, IDC_TIMEOUT_UNIT, UnitRangeText(PelitoText::UnitTimeout, "TimeOut").c_str());
    SetDlgItemTextCp932(dialog, IDC_TIMER_UNIT, UnitRangeText(PelitoText::UnitTimer, "Timer").c_str());
    SetDlgItemTextCp932(dialog, IDC_TEMP_UNIT, UnitRangeText(PelitoText::UnitTemperature, "Temp").c_str());
    SetDlgItemTextCp932(dialog, IDOK, Text(CommonText::ButtonApply));
    SetDlgItemTextCp932(dialog, IDCANCEL, Text(CommonText::ButtonCancel));
}

// Why the dialog opened by itself, and a saved number the spins cannot show, a line each.
void ShowNotes(HWND dialog, const char* startProblem)
{
    std::string notes = startProblem != nullptr ? startProblem : "";
    const std::string range = RangeNoteText(Client().settings);
    if (!range.empty()) {
        notes += notes.empty() ? range : "\n" + range;
    }
    SetDlgItemTextCp932(dialog, IDC_START_PROBLEM, notes.c_str());
}

void Open(HWND dialog, const char* startProblem)
{
    ClientState& client = Client();
    client.settingsDialog = dialog;
    CentreDialogWithIcon(dialog, client.instance, IDI_PELITO);
    ShowTexts(dialog);
    SetDlgItemTextCp932(dialog, IDC_HOST_EDIT, client.host);
    SetSpin(dialog, IDC_PORT_SPIN, "Port", client.settings.Port);
    SetSpin(dialog, IDC_TIMEOUT_SPIN, "TimeOut", client.settings.TimeOut);
    SetSpin(dialog, IDC_TIMER_SPIN, "Timer", client.settings.Timer);
    SetSpin(dialog, IDC_TEMP_SPIN, "Temp", client.settings.Temp);
    SetDlgItemTextCp932(dialog, IDC_ICON_FILE, client.settings.IconFile);
    ShowNotes(dialog, startProblem);
    ShowWindow(dialog, SW_SHOW);
}

void PickGlyphFile(HWND dialog)
{
    // Starts from the saved path, not from a path an earlier click put on the button.
    char path[kIconFileSize];
    std::memcpy(path, Client().settings.IconFile, sizeof path);
    if (PickFile(dialog, Text(CommonText::PickIconFile), Text(CommonText::IconFileFilter), path, sizeof path)) {
        SetDlgItemTextCp932(dialog, IDC_ICON_FILE, path);
    }
}

// A new glyph file replaces the pictures of all 16 icons only when it loads.
void ReplaceGlyphs(HWND dialog, const char* path)
{
    if (!ReplaceDigitIcons(path)) {
        ShowPelitoError(dialog, MSG_GLYPHS_FAILED);
        return;
    }
    std::memcpy(Client().settings.IconFile, path, kIconFileSize);
}

void Confirm(HWND dialog)
{
    ClientState& client = Client();
    GetDlgItemTextCp932(dialog, IDC_HOST_EDIT, client.host, kHostTextSize);
    client.settings.Port = SpinPosition(dialog, IDC_PORT_SPIN);
    client.settings.Timer = SpinPosition(dialog, IDC_TIMER_SPIN);
    client.settings.TimeOut = SpinPosition(dialog, IDC_TIMEOUT_SPIN);
    client.settings.Temp = SpinPosition(dialog, IDC_TEMP_SPIN);
    char path[kIconFileSize] = {};
    GetDlgItemTextCp932(dialog, IDC_ICON_FILE, path, sizeof path);
    if (std::strcmp(path, client.settings.IconFile) != 0) {
        ReplaceGlyphs(dialog, path);
    }
    if (!SavePelitoSettings(client.host, client.settings, client.settingsFile.c_str())) {
        // Stays open: what the user entered is not lost and can be saved again.
        ShowPelitoWriteError(dialog, client.settingsFile.c_str());
        return;
    }
    client.settingsDialog = nullptr;
    EndDialog(dialog, IDOK);
}

void Cancel(HWND dialog)
{
    Client().settingsDialog = nullptr;
    EndDialog(dialog, IDCANCEL);
}

void OnCommand(HWND dialog, WPARAM wParam, LPARAM lParam)
{
    const HWND control = reinterpret_cast<HWND>(lParam);
    if (control && control == GetDlgItem(dialog, IDC_ICON_FILE)) {
        if (HIWORD(wParam) == BN_CLICKED) {
            PickGlyphFile(dialog);
        }
    } else if (LOWORD(wParam) == IDOK && (!control || HIWORD(wParam) == BN_CLICKED)) {
        // The button, Enter, or (without a control) the dialog manager's OK.
        Confirm(dialog);
    } else if (LOWORD(wParam) == IDCANCEL && (!control || HIWORD(wParam) == BN_CLICKED)) {
        // The button, Escape or the close box.
        Cancel(dialog);
    }
}

}  // namespace

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        Open(dialog, reinterpret_cast<const char*>(lParam));
        return TRUE;
    case WM_COMMAND:
        OnCommand(dialog, wParam, lParam);
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR OpenSettingsDialog(HWND owner, const char* problem)
{
    ReadyCommonControls();
    return DialogBoxParamW(Client().instance, MAKEINTRESOURCEW(IDD_PELITO_SETTINGS), owner, SettingsDialogProc,
        reinterpret_cast<LPARAM>(problem));
}
