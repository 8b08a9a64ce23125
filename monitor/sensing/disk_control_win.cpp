#include "disk_control_win.h"

#include <windows.h>

static_assert(kAccessReadWrite == (GENERIC_READ | GENERIC_WRITE), "access flags");
static_assert(kShareReadWrite == (FILE_SHARE_READ | FILE_SHARE_WRITE), "share flags");
static_assert(kCreateNew == CREATE_NEW && kOpenExisting == OPEN_EXISTING, "creation modes");
static_assert(kPlatformWindows9x == VER_PLATFORM_WIN32_WINDOWS, "9x platform id");
static_assert(kPlatformWindowsNT == VER_PLATFORM_WIN32_NT, "NT platform id");

std::uint32_t WindowsDiskControl::PlatformId()
{
    OSVERSIONINFOA info{};
    static_assert(sizeof(info) == 148, "OSVERSIONINFOA is 148 bytes");
    info.dwOSVersionInfoSize = sizeof(info);
    if (!GetVersionExA(&info)) {
        return kPlatformWin32s;
    }
    return info.dwPlatformId;
}

HANDLE WindowsDiskControl::Open(const char* name, DWORD access, DWORD share, DWORD creation)
{
    return CreateFileA(name, access, share, nullptr, creation, 0, nullptr);
}

bool WindowsDiskControl::Request(HANDLE handle, DWORD code, const void* in, DWORD inSize,
                                 void* out, DWORD outSize, DWORD* bytesReturned)
{
    DWORD returned = 0;
    const BOOL ok = DeviceIoControl(handle, code, const_cast<void*>(in), inSize, out, outSize,
                                    &returned, nullptr);
    if (bytesReturned != nullptr) {
        *bytesReturned = returned;
    }
    return ok != FALSE;
}

void WindowsDiskControl::Close(HANDLE handle)
{
    CloseHandle(handle);
}

bool WindowsDiskControl::DevicePowerState(HANDLE handle, bool& on)
{
    BOOL powered = TRUE;
    if (!GetDevicePowerState(handle, &powered)) {
        on = true;
        return false;
    }
    on = powered != FALSE;
    return true;
}
