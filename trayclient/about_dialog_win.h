// The about dialog (resource 101): description, version and copyright of PELITO.exe.
#pragma once

#include <windows.h>

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Modal; 1.
INT_PTR OpenAboutDialog(HWND owner);
