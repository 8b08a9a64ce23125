#include "client_window_win.h"

#include "about_dialog_win.h"
#include "client_state_win.h"
#include "glyphs_win.h"
#include "language.h"
#include "message_filter_win.h"
#include "pelito_error_win.h"
#include "pelito_messages.h"
#include "pelito_resources.h"
#include "pelito_texts.h"
#include "timer_period.h"
#include "report_query_win.h"
#include "settings_dialog_win.h"
#include "settings_location_win.h"
#include "tray_digits_win.h"
#include "wide_text_win.h"
#include "window_helpers_win.h"
#include "ws32_calls.h"
#include "ws32lib.h"

namespace {

// WM_DPICHANGED, not declared for the Windows XP target.
constexpr UINT kDpiChangedMessage = 0x02E0;

// The notification area's icon size follows the display scaling: pictures made for another
// size are made again.
void RefitDigitIcons()
{
    ClientState& client = Client();
    if (!client.digits.Empty() && client.digits.Side() != TrayPictureSide()) {
        ReplaceDigitIcons(client.settings.IconFile);
    }
}

// A host that does not answer at once is asked again on a timer, so the message loop runs
// meanwhile; after the last try the settings dialog opens and says what happened.
void TryFirstPoll(HWND window)
{
    ClientState& client = Client();
    const PollOutcome outcome = Poll();
    const StartupStep step = client.startup.After(outcome);
    if (step == StartupStep::TryAgain) {
        SetTimer(window, kStartupTimerId, kStartupRetryMs, nullptr);
        return;
    }
    KillTimer(window, kStartupTimerId);
    client.startingUp = false;
    if (step == StartupStep::Ask && !client.settingsDialog) {
        OpenSettingsDialog(
            window, StartupProblemText(client.host, client.settings.Port, outcome, client.startup.Tries()).c_str());
        Poll();  // the host as the dialog left it
    }
    SetPollTimer(window, true);
}

// Start-up; false when the program has to close again.
bool Start(HWND window)
{
    ClientState& client = Client();
    // Run elevated, the window hears a non-elevated Explorer's "TaskbarCreated" only when let.
    AllowMessageFromLowerRights(window, client.taskbarCreated);
    client.settingsFile = PelitoSettingsFile();
    LoadPelitoSettings(client.host, client.settings, client.settingsFile.c_str());
    ChooseProgramLanguage(client.settings.Language);
    if (!client.digits.Build(client.settings.IconFile)) {
        ShowPelitoError(window, MSG_GLYPHS_FAILED);
        return false;
    }
    for (unsigned slot = 0; slot < kDriveSlots; ++slot) {
        TrayIcon& icon = client.trayIcons[slot];
        if (!icon.Create(client.instance, window, DriveTrayIconId(slot), kClientPictureCount)) {
            ShowPelitoError(window, MSG_TRAY_ICON_FAILED);
            continue;
        }
        icon.SetCallback(kFirstTrayCallback + slot);
        for (unsigned glyph = 0; glyph < kClientPictureCount; ++glyph) {
            icon.SetSlot(client.digits.Icon(glyph), glyph);
        }
    }
    if (WS32LIB_LoadDLL() != 0) {
        ShowPelitoError(nullptr, MSG_SOCKET_LIBRARY_LOAD);
        return false;
    }
    client.socketLibraryLoaded = true;
    if (Ws32StartSockets(client.sockets) != 0) {
        ShowPelitoError(nullptr, MSG_SOCKET_LIBRARY_START);
        return false;
    }
    client.socketsStarted = true;
    client.startingUp = true;
    TryFirstPoll(window);
    return true;
}

void ShutDown(HWND window)
{
    ClientState& client = Client();
    if (client.socketLibraryLoaded) {
        if (client.socketsStarted) {
            Ws32EndSockets();
            client.socketsStarted = false;
        }
        WS32LIB_UnloadDLL();
        client.socketLibraryLoaded = false;
    }
    SetPollTimer(window, false);
    for (TrayIcon& icon : client.trayIcons) {
        icon.Destroy();
    }
    client.digits.Destroy();
    PostQuitMessage(0);
}

void ShowTrayMenu(HWND window)
{
    HMENU menu = CreatePopupMenu();
    if (!menu) {
        return;
    }
    AppendMenuCp932(menu, MF_STRING, CMD_PELITO_SETTINGS, Text(CommonText::MenuSettings));
    AppendMenuCp932(menu, MF_STRING, CMD_PELITO_ABOUT, Text(CommonText::MenuAbout));
    AppendMenuCp932(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuCp932(menu, MF_STRING, CMD_PELITO_EXIT, Text(CommonText::MenuExit));
    ForceForeground(window);
    POINT cursor{};
    GetCursorPos(&cursor);
    TrackPopupMenu(menu, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, window, nullptr);
    DestroyMenu(menu);
}

void OnTrayEvent(HWND window, unsigned slot, UINT mouseMessage)
{
    ClientState& client = Client();
    if (mouseMessage == WM_LBUTTONDOWN) {
        ForceForeground(GetDesktopWindow());
        client.trayIcons[slot].ShowBalloon();
    } else if (mouseMessage == WM_RBUTTONDOWN) {
        ForceForeground(GetDesktopWindow());
        if (client.aboutDialog) {
            ForceForeground(client.aboutDialog);
        } else if (client.settingsDialog) {
            ForceForeground(client.settingsDialog);
        } else {
            ShowTrayMenu(window);
        }
        PostMessageA(window, WM_NULL, 0, 0);
    }
}

// A dialog that is open already comes to the front instead of opening twice.
bool BringOpenDialog()
{
    ClientState& client = Client();
    HWND open = client.aboutDialog ? client.aboutDialog : client.settingsDialog;
    if (open) {
        ForceForeground(open);
    }
    return open != nullptr;
}

void OnCommand(HWND window, UINT command)
{
    switch (command) {
    case CMD_PELITO_SETTINGS:
        if (BringOpenDialog()) {
            return;
        }
        OpenSettingsDialog(window);
        Poll();
        if (Client().pollTimer != 0) {
            SetPollTimer(window, true);  // a changed period takes effect
        }
        break;
    case CMD_PELITO_ABOUT:
        if (!BringOpenDialog()) {
            OpenAboutDialog(window);
        }
        break;
    case CMD_PELITO_EXIT:
        PostMessageA(window, WM_CLOSE, 0, 0);
        break;
    default:
        break;
    }
}

// After the shell's notification area was (re-)created: the slots that showed a drive
// come back with their last picture; slots that never had one stay hidden.
void AddIconsAgain()
{
    ClientState& client = Client();
    client.trayIconMissing = false;
    for (unsigned slot = 0; slot < kDriveSlots; ++slot) {
        if (client.reports.Stored(slot).present != 0) {
            client.trayIconMissing |= !client.trayIcons[slot].Restore();
        }
    }
}

void OnTimer(HWND window, UINT_PTR id)
{
    if (id == kStartupTimerId) {
        TryFirstPoll(window);
    } else if (id == Client().pollTimer) {
        if (Client().trayIconMissing) {
            AddIconsAgain();  // the shell may have come since
        }
        Poll();
    } else {
        ShowPelitoError(window, MSG_UNKNOWN_TIMER);
    }
}

}  // namespace

bool SetPollTimer(HWND window, bool on)
{
    ClientState& client = Client();
    if (!on) {
        if (client.pollTimer == 0) {
            return true;
        }
        const bool killed = KillTimer(window, client.pollTimer) != 0;
        client.pollTimer = 0;
        return killed;
    }
    if (client.pollTimer != 0 && KillTimer(window, client.pollTimer)) {
        client.pollTimer = 0;
    }
    client.pollTimer = SetTimer(window, kPollTimerId, TimerPeriodMs(client.settings.Timer), nullptr);
    return client.pollTimer != 0;
}

LRESULT CALLBACK ClientWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const ClientState& client = Client();
    if (message == client.taskbarCreated && message != 0) {
        AddIconsAgain();
        return 0;
    }
    if (message == WM_DISPLAYCHANGE || message == WM_SETTINGCHANGE || message == kDpiChangedMessage) {
        RefitDigitIcons();
        return DefWindowProcA(window, message, wParam, lParam);
    }
    if (message >= kFirstTrayCallback && message < kFirstTrayCallback + kDriveSlots) {
        OnTrayEvent(window, message - kFirstTrayCallback, static_cast<UINT>(lParam));
        return 0;
    }
    switch (message) {
    case WM_CREATE:
        if (!Start(window)) {
            PostMessageA(window, WM_CLOSE, 0, 0);
        }
        return 0;
    case WM_COMMAND:
        OnCommand(window, LOWORD(wParam));
        return 0;
    case WM_TIMER:
        OnTimer(window, wParam);
        return 0;
    case WM_DESTROY:
        ShutDown(window);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
