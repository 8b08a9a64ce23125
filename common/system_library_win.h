// A Windows library loaded when a feature first needs it, not at start: WinHTTP for
// notifications and Schannel for MQTT over TLS cost every user memory (about 6 MB under
// Wine with what they load in turn), though most never turn those on.
#pragma once

#include <windows.h>

// From the system folder only (never the program's or the current folder), kept until the
// program ends. Null when it cannot be loaded; GetLastError tells why.
HMODULE LoadSystemLibrary(const wchar_t* name);

// GetProcAddress in the function's own type: FindFunction(library, "Name", pointer).
template <typename Function>
bool FindFunction(HMODULE library, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
    return function != nullptr;
}
