// The real disk-control calls of Windows: GetVersionExA, CreateFileA, DeviceIoControl,
// CloseHandle, GetDevicePowerState.
#pragma once

#include "disk_control.h"

class WindowsDiskControl final : public DiskControl {
public:
    std::uint32_t PlatformId() override;
    HANDLE Open(const char* name, DWORD access, DWORD share, DWORD creation) override;
    bool Request(HANDLE handle, DWORD code, const void* in, DWORD inSize, void* out,
                 DWORD outSize, DWORD* bytesReturned) override;
    void Close(HANDLE handle) override;
    bool DevicePowerState(HANDLE handle, bool& on) override;
};
