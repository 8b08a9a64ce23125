// Entry of the tray client: the command line names the host, a hidden main window does
// the rest until the quit message.
#include "client_ids.h"
#include "client_state_win.h"
#include "client_window_win.h"
#include "pelito_resources.h"
#include "program_folder_win.h"
#include "window_helpers_win.h"

#include <memory>
#include <new>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    UseProgramFolderForFiles();
    std::unique_ptr<ClientState> client(new (std::nothrow) ClientState(instance, commandLine));
    if (!client) {
        return 0;
    }
    SetClient(client.get());
    if (!RegisterWindowClass(instance, kClientClassName, ClientWindowProc, IDI_PELITO, false, 0)) {
        SetClient(nullptr);
        return 0;
    }
    if (CreateHiddenWindow(instance, kClientClassName, kClientTitle)) {
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    UnregisterClassA(kClientClassName, instance);
    client.reset();
    SetClient(nullptr);
    return 0;
}
