// The disk-control seam: the operating-system calls through which SmartDevice
// reaches a drive. KELVIX installs the Windows implementation at start-up; the tests, the
// demo and the simulated-drive build of KELVIX install the simulated drives instead.
#pragma once

#include "wintypes.h"

#include <cstdint>

// Platform ids as GetVersionExA reports them.
constexpr std::uint32_t kPlatformWin32s = 0;
constexpr std::uint32_t kPlatformWindows9x = 1;  // VER_PLATFORM_WIN32_WINDOWS
constexpr std::uint32_t kPlatformWindowsNT = 2;  // VER_PLATFORM_WIN32_NT

// CreateFileA arguments SmartDevice uses (the SDK's values).
constexpr DWORD kAccessNone = 0;
constexpr DWORD kAccessReadWrite = 0xC0000000;  // GENERIC_READ | GENERIC_WRITE
constexpr DWORD kShareNone = 0;
constexpr DWORD kShareReadWrite = 0x00000003;   // FILE_SHARE_READ | FILE_SHARE_WRITE
constexpr DWORD kCreateNew = 1;                 // CREATE_NEW
constexpr DWORD kOpenExisting = 3;              // OPEN_EXISTING

class DiskControl {
public:
    virtual ~DiskControl() = default;

    // GetVersionExA: the platform id of the running system.
    virtual std::uint32_t PlatformId() = 0;
    // CreateFileA(name, access, share, no security, creation, 0, no template):
    // a handle, or INVALID_HANDLE_VALUE.
    virtual HANDLE Open(const char* name, DWORD access, DWORD share, DWORD creation) = 0;
    // DeviceIoControl without overlapped I/O.
    virtual bool Request(HANDLE handle, DWORD code, const void* in, DWORD inSize, void* out,
                         DWORD outSize, DWORD* bytesReturned) = 0;
    // CloseHandle.
    virtual void Close(HANDLE handle) = 0;
    // GetDevicePowerState: true when answered, with `on` false for a drive in a low-power
    // state (spun down). Asking must not wake the drive. Systems without such a call keep
    // this default: not answered.
    virtual bool DevicePowerState(HANDLE handle, bool& on)
    {
        static_cast<void>(handle);
        on = true;
        return false;
    }
};

// The process-wide implementation SmartDevice uses. Until one is installed, a machine
// without drives answers (platform id 0, every open fails). The caller keeps ownership
// and must keep the object alive while devices are open; null restores the default.
void InstallDiskControl(DiskControl* control);
DiskControl& ActiveDiskControl();
