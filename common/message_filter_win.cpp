#include "message_filter_win.h"

namespace {

constexpr DWORD kAllowForWindow = 1;   // MSGFLT_ALLOW
constexpr DWORD kAddForProcess = 1;    // MSGFLT_ADD

using WindowFilterCall = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
using ProcessFilterCall = BOOL(WINAPI*)(UINT, DWORD);

}  // namespace

MessageFilterChange AllowMessageFromLowerRights(HWND window, UINT message, HMODULE user32)
{
    if (message == 0 || user32 == nullptr) {
        return MessageFilterChange::None;
    }
    const auto forWindow = reinterpret_cast<WindowFilterCall>(
        reinterpret_cast<void*>(GetProcAddress(user32, "ChangeWindowMessageFilterEx")));
    if (forWindow != nullptr) {
        return forWindow(window, message, kAllowForWindow, nullptr) ? MessageFilterChange::Window
                                                                    : MessageFilterChange::None;
    }
    const auto forProcess = reinterpret_cast<ProcessFilterCall>(
        reinterpret_cast<void*>(GetProcAddress(user32, "ChangeWindowMessageFilter")));
    if (forProcess != nullptr) {
        return forProcess(message, kAddForProcess) ? MessageFilterChange::Process : MessageFilterChange::None;
    }
    return MessageFilterChange::None;
}

MessageFilterChange AllowMessageFromLowerRights(HWND window, UINT message)
{
    return AllowMessageFromLowerRights(window, message, GetModuleHandleA("user32.dll"));
}
