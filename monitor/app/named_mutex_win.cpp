#include "named_mutex_win.h"

bool NamedMutex::Create(bool initialOwner, const char* name)
{
    if (handle_) {
        return false;
    }
    HANDLE existing = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, name);
    if (existing) {
        CloseHandle(existing);
        return false;
    }
    HANDLE created = CreateMutexA(nullptr, initialOwner ? TRUE : FALSE, name);
    // Another copy may have created it between the two calls.
    if (created && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(created);
        return false;
    }
    handle_ = created;
    return handle_ != nullptr;
}

void NamedMutex::Release()
{
    if (handle_) {
        ReleaseMutex(handle_);
        CloseHandle(handle_);
        handle_ = nullptr;
    }
}
