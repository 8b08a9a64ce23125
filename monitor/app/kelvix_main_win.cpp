// Entry of the monitor: one copy per user session, a hidden main window, the message loop.
#include "app_state_win.h"
#include "disk_setup_win.h"
#include "error_box_win.h"
#include "main_window_win.h"
#include "monitor_ids.h"
#include "program_folder_win.h"
#include "window_helpers_win.h"

#include <memory>
#include <new>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // A running copy shows its information balloon instead.
    if (HWND running = FindWindowA(kMonitorClassName, kMonitorTitle)) {
        PostMessageA(running, WM_COMMAND, CMD_SHOW_INFO, 0);
        return 0;
    }
    UseProgramFolderForFiles();
    if (!InstallProgramDiskControl()) {
        return 0;
    }
    std::unique_ptr<AppState> app(new (std::nothrow) AppState(instance));
    if (!app) {
        ShowError(nullptr, MSG_NO_MEMORY);
        return 0;
    }
    SetApp(app.get());
    if (RegisterWindowClass(instance, kMonitorClassName, MainWindowProc, kProgramIconId, false, 0)) {
        if (CreateHiddenWindow(instance, kMonitorClassName, kMonitorTitle)) {
            MSG message;
            while (GetMessageA(&message, nullptr, 0, 0) > 0) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
        }
        UnregisterClassA(kMonitorClassName, instance);
    }
    app.reset();
    SetApp(nullptr);
    return 0;
}
