#include "disk_control.h"

namespace {

// What a machine without any S.M.A.R.T. driver looks like: nothing can be opened.
class NoDrives final : public DiskControl {
public:
    std::uint32_t PlatformId() override { return kPlatformWin32s; }
    HANDLE Open(const char*, DWORD, DWORD, DWORD) override { return INVALID_HANDLE_VALUE; }
    bool Request(HANDLE, DWORD, const void*, DWORD, void*, DWORD, DWORD* bytesReturned) override
    {
        if (bytesReturned != nullptr) {
            *bytesReturned = 0;
        }
        return false;
    }
    void Close(HANDLE) override {}
};

NoDrives g_noDrives;
DiskControl* g_active = &g_noDrives;

}  // namespace

void InstallDiskControl(DiskControl* control)
{
    g_active = control != nullptr ? control : &g_noDrives;
}

DiskControl& ActiveDiskControl()
{
    return *g_active;
}
