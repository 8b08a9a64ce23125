// The settings dialog (resource 100): host, port, time-out, poll period, warning
// temperature and glyph file of the watched host.
#pragma once

#include <windows.h>

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Modal; 1 after OK, 2 after cancel. `problem`, when given, is shown above the buttons:
// why the dialog opened by itself.
INT_PTR OpenSettingsDialog(HWND owner, const char* problem = nullptr);
