// The hidden main window of the monitor: timers, tray callback and command table.
#pragma once

#include <windows.h>

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Starts or stops the measurement timer and shows the matching tray picture.
bool SetMeasuring(HWND window, bool on);
