// LoadedLibrary: a library loaded by name for as long as the object lives, for calls that
// are looked up at run time instead of being linked.
#pragma once

#include <windows.h>

class LoadedLibrary {
public:
    explicit LoadedLibrary(const char* name) : module_(LoadLibraryA(name)) {}
    ~LoadedLibrary()
    {
        if (module_) FreeLibrary(module_);
    }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    // Null when the library or the function is missing.
    template <typename Call>
    Call Find(const char* function) const
    {
        return module_ ? reinterpret_cast<Call>(reinterpret_cast<void*>(GetProcAddress(module_, function)))
                       : nullptr;
    }

private:
    HMODULE module_;
};
