#include "about_dialog_win.h"

#include "common_controls.h"
#include "client_state.h"
#include "pelito_resources.h"
#include "version_info.h"
#include "window_helpers.h"

#include <cstdio>

namespace {

void ShowVersionTexts(HWND dialog)
{
    char path[MAX_PATH] = {};
    if (GetModuleFileNameA(nullptr, path, sizeof path - 1) == 0) {
        return;
    }
    VersionInfo version;
    if (version.Load(path) != 1) {
        return;  // the three texts stay empty
    }
    SetDlgItemTextA(dialog, IDC_ABOUT_DESCRIPTION, version.Query("FileDescription"));
    char line[300];
    std::snprintf(line, sizeof line, "Version %s", version.Query("FileVersion"));
    SetDlgItemTextA(dialog, IDC_ABOUT_VERSION, line);
    SetDlgItemTextA(dialog, IDC_ABOUT_COPYRIGHT, version.Query("LegalCopyright"));
}

void Open(HWND dialog)
{
    ClientState& client = Client();
    client.aboutDialog = dialog;
    CentreDialogWithIcon(dialog, client.instance, IDI_PELITO);
    client.titleFont.Create(14, 7, 0, "Arial", FW_BOLD);
    client.titleFont.Apply(dialog, IDC_ABOUT_DESCRIPTION);
    client.textFont.Create(12, 6, 0, "Arial", FW_BOLD);
    client.textFont.Apply(dialog, IDC_ABOUT_VERSION);
    client.textFont.Apply(dialog, IDC_ABOUT_COPYRIGHT);
    ShowVersionTexts(dialog);
    ShowWindow(dialog, SW_SHOW);
}

void Close(HWND dialog)
{
    ClientState& client = Client();
    client.titleFont.Delete();
    client.textFont.Delete();
    client.aboutDialog = nullptr;
    EndDialog(dialog, IDOK);
}

}  // namespace

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        Open(dialog);
        return TRUE;
    case WM_COMMAND:
        Close(dialog);
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR OpenAboutDialog(HWND owner)
{
    ReadyCommonControls();
    return DialogBoxParamA(Client().instance, MAKEINTRESOURCEA(IDD_PELITO_ABOUT), owner, AboutDialogProc, 0);
}
