#include "about_dialog_win.h"

#include "common_controls_win.h"
#include "client_state_win.h"
#include "pelito_resources.h"
#include "version_info_win.h"
#include "window_helpers_win.h"


namespace {

// The logical dialog font: every Windows maps it to a face that shows (or links to one
// that shows) the Japanese description, which Arial lacks.
constexpr char kAboutFace[] = "MS Shell Dlg 2";

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
    SetDlgItemTextW(dialog, IDC_ABOUT_DESCRIPTION, version.QueryText("FileDescription").c_str());
    SetDlgItemTextW(dialog, IDC_ABOUT_VERSION, (L"Version " + version.QueryText("FileVersion")).c_str());
    SetDlgItemTextW(dialog, IDC_ABOUT_COPYRIGHT, version.QueryText("LegalCopyright").c_str());
}

void Open(HWND dialog)
{
    ClientState& client = Client();
    client.aboutDialog = dialog;
    CentreDialogWithIcon(dialog, client.instance, IDI_PELITO);
    client.titleFont.Create(14, 7, 0, kAboutFace, FW_BOLD);
    client.titleFont.Apply(dialog, IDC_ABOUT_DESCRIPTION);
    client.textFont.Create(12, 6, 0, kAboutFace, FW_BOLD);
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
    return DialogBoxParamW(Client().instance, MAKEINTRESOURCEW(IDD_PELITO_ABOUT), owner, AboutDialogProc, 0);
}
