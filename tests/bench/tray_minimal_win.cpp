// The yardstick for start-up and memory: a hidden window that adds one tray icon and runs
// its message loop, built like the programs. WM_CLOSE ends it.
#include <windows.h>
#include <shellapi.h>

namespace {

const char kClass[] = "KV_BENCH_TRAY";
const char kTitle[] = "KV BENCH TRAY";

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kClass;
    if (!RegisterClassA(&windowClass)) {
        return 1;
    }
    HWND window = CreateWindowA(kClass, kTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
        CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (!window) {
        return 1;
    }
    NOTIFYICONDATAA record{};
    record.cbSize = NOTIFYICONDATAA_V2_SIZE;
    record.hWnd = window;
    record.uID = 1;
    record.uFlags = NIF_ICON;
    record.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    Shell_NotifyIconA(NIM_ADD, &record);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    Shell_NotifyIconA(NIM_DELETE, &record);
    return 0;
}
