// NamedMutex: the single-instance lock of the monitor, held for the program's life.
#pragma once

#include <windows.h>

class NamedMutex {
public:
    NamedMutex() = default;
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;
    virtual ~NamedMutex() { Release(); }

    // True when this call created the mutex; false when another holder has it already.
    bool Create(bool initialOwner, const char* name);
    bool Create(const char* name) { return Create(false, name); }
    void Release();

private:
    HANDLE handle_ = nullptr;
};
