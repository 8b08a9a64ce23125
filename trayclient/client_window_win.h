// PELITO's hidden main window: start-up in its creation, tray callbacks, the tray menu,
// commands, the poll timer and the shut-down in its destruction.
#pragma once

#include <windows.h>

LRESULT CALLBACK ClientWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Starts (again, with the current period) or stops the poll timer. True on success.
bool SetPollTimer(HWND window, bool on);
