// Lets a window of an elevated program receive one message from programs with fewer
// rights (Explorer's "TaskbarCreated"), on every Windows: the calls are looked up at run
// time because Windows before Vista (and before 7, for the per-window one) lacks them.
#pragma once

#include <windows.h>

enum class MessageFilterChange {
    Window,   // allowed for this window (Windows 7 and later)
    Process,  // allowed for the whole process (Windows Vista)
    None,     // nothing to allow, or nothing could be changed
};

// user32: the module to look the calls up in (the system's user32 in the programs).
MessageFilterChange AllowMessageFromLowerRights(HWND window, UINT message, HMODULE user32);
MessageFilterChange AllowMessageFromLowerRights(HWND window, UINT message);
