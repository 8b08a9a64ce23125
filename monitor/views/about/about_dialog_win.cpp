// The about dialog (101): the program's description, version and legal notice from its
// own version resource, one row per drive found at start-up, and what the network
// service left unanswered.
#include "mqtt_status_text.h"
#include "monitor_views.h"

#include "common_controls_win.h"
#include "list_columns_win.h"
#include "program_state_win.h"
#include "drive_summary.h"
#include "gdi_font_win.h"
#include "kelvix_texts.h"
#include "monitor_ids.h"
#include "notifier.h"
#include "request_gate.h"
#include "version_info_win.h"
#include "wide_text_win.h"
#include "window_helpers_win.h"

#include <commctrl.h>

#include <cstdio>


namespace {

// The logical dialog font: every Windows maps it to a face that shows (or links to one
// that shows) the Japanese description, which Arial lacks.
constexpr char kAboutFace[] = "MS Shell Dlg 2";

enum AboutControl : int {
    IDC_ABOUT_DESCRIPTION = 1001,
    IDC_ABOUT_VERSION = 1002,
    IDC_ABOUT_LEGAL = 1003,
    IDC_ABOUT_DRIVES = 1004,
    IDC_ABOUT_REFUSED = 1005,
    IDC_ABOUT_NOTIFICATIONS = 1006,
    IDC_ABOUT_MQTT = 1007,
    IDC_ABOUT_WEB_PAGE = 1008,
};

// Program-wide: the records stay, the handles are made per opening.
GDIFONT g_titleFont;
GDIFONT g_textFont;

void ShowVersionTexts(HWND dialog)
{
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    // A path that filled the buffer was cut short (and may lack its terminator).
    if (length == 0 || length >= sizeof path) {
        return;
    }
    VersionInfo version;
    if (!version.Load(path)) {
        return;
    }
    SetDlgItemTextW(dialog, IDC_ABOUT_VERSION, (L"Version " + version.QueryText("FileVersion")).c_str());
    SetDlgItemTextW(dialog, IDC_ABOUT_LEGAL, version.QueryText("LegalCopyright").c_str());
    version.Free();
}

void FillDriveList(HWND list)
{
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
        LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP);
    for (int column = 0; kSummaryColumns[column].header[0] != '\0'; ++column) {
        InsertListColumnCp932(list, column, kSummaryColumns[column].width, kSummaryColumns[column].header);
    }

    const DriveState& drives = Program().drives;
    const SummaryDrives rows = SummaryDriveNumbers(drives);
    for (unsigned row = 0; row < rows.count; ++row) {
        const unsigned number = rows.numbers[row];
        DriveSummaryRow cells = SummarizeDrive(number, drives.table[number],
            static_cast<unsigned>(Program().judge.Verdict(number).health));
        const int index = InsertListRowCp932(list, static_cast<int>(row), cells.cells[0]);
        if (index < 0) {
            continue;
        }
        for (unsigned column = 1; column < kSummaryColumnCount; ++column) {
            SetListCellCp932(list, index, static_cast<int>(column), cells.cells[column]);
        }
    }
    WidenColumnsToText(list);
}

void Open(HWND dialog)
{
    ProgramState& app = Program();
    app.aboutDialog = dialog;
    CentreDialogWithIcon(dialog, app.instance, kProgramIconId);

    if (g_titleFont.Create(16, 7, 0, kAboutFace, 700)) {
        g_titleFont.Apply(dialog, IDC_ABOUT_DESCRIPTION);
    }
    if (g_textFont.Create(14, 7, 0, kAboutFace, 700)) {
        g_textFont.Apply(dialog, IDC_ABOUT_VERSION);
        g_textFont.Apply(dialog, IDC_ABOUT_LEGAL);
    }
    SetWindowTextW(dialog, WideFromCp932(Text(CommonText::MenuAbout)).c_str());
    SetDlgItemTextCp932(dialog, IDC_ABOUT_DESCRIPTION, Text(KelvixText::AboutDescription));
    SetDlgItemTextCp932(dialog, IDOK, Text(CommonText::ButtonConfirm));
    ShowVersionTexts(dialog);
    FillDriveList(GetDlgItem(dialog, IDC_ABOUT_DRIVES));
    if (const RefusedRequests* refused = app.refusedRequests) {
        char text[160];
        DescribeRefusedRequests(refused->notAllowed.load(), refused->tooOften.load(), text, sizeof text);
        SetDlgItemTextCp932(dialog, IDC_ABOUT_REFUSED, text);
    }
    if (const Notifier* notifier = app.notifications) {
        const NotifyCounts counts = notifier->Counts();
        char text[160];
        std::snprintf(text, sizeof text, Text(KelvixText::AboutNotifications),
                      static_cast<unsigned long long>(counts.delivered), static_cast<unsigned long long>(counts.failed));
        SetDlgItemTextCp932(dialog, IDC_ABOUT_NOTIFICATIONS, text);
    }
    MqttStatus mqtt;
    if (app.mqttPublisher != nullptr) {
        mqtt = app.mqttPublisher->Status();
    }
    SetDlgItemTextCp932(dialog, IDC_ABOUT_MQTT, DescribeMqttStatus(mqtt).c_str());
    if (!app.webAddress.empty()) {
        char text[200];
        std::snprintf(text, sizeof text, Text(KelvixText::AboutWebPage), app.webAddress.c_str());
        SetDlgItemTextCp932(dialog, IDC_ABOUT_WEB_PAGE, text);
    }
    ShowWindow(dialog, SW_SHOW);
}

// Also run when the dialog goes without a command (its owner destroyed), so no font
// handle or stale window handle outlives it.
void Release(HWND dialog)
{
    g_titleFont.Delete();
    g_textFont.Delete();
    ProgramState& app = Program();
    if (app.aboutDialog == dialog) {
        app.aboutDialog = nullptr;
    }
}

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        Open(dialog);
        return TRUE;
    case WM_COMMAND:  // the button, Enter, Escape, the close box
        EndDialog(dialog, IDOK);  // hidden first: nothing paints with the deleted fonts
        Release(dialog);
        return TRUE;
    case WM_DESTROY:
        Release(dialog);
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

void RunAboutDialog(HWND owner)
{
    ProgramState& app = Program();
    // Open at most once: a second request (the modal loop still dispatches the main
    // window's commands) brings the open one forward instead.
    if (app.aboutDialog) {
        ForceForeground(app.aboutDialog);
        return;
    }
    ReadyCommonControls();
    DialogBoxParamW(app.instance, MAKEINTRESOURCEW(kAboutDialogId), owner, AboutDialogProc, 0);
}
