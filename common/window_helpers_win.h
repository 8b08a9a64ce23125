// Small wrappers over window and common-dialog calls, with the choices both programs
// make everywhere: placement, forcing the foreground, class registration, pickers.
#pragma once

#include "window_placement.h"

#include <windows.h>
#include <commdlg.h>

#include <cstddef>

// Moves the window to a corner of the primary screen (codes 1 to 4) or its centre.
BOOL PlaceWindow(HWND window, int code);
BOOL MoveWindowTo(HWND window, int x, int y);
// Moves the window into the work area of the monitor nearest to it (a window saved on a
// monitor that is gone comes back into view).
BOOL KeepOnNearestWorkArea(HWND window);
BOOL SetTopMost(HWND window, bool on);
// How every dialog of both programs opens: centred, with the program icon large and small.
void CentreDialogWithIcon(HWND dialog, HINSTANCE instance, UINT iconId);

// True when the class can be used: registered now or already registered.
bool RegisterWindowClass(HINSTANCE instance, const char* className, WNDPROC procedure, UINT iconId,
    bool redraw, UINT classStyle);
HWND CreateHiddenWindow(HINSTANCE instance, const char* className, const char* title);

// Brings the window to the foreground even when another thread holds it.
BOOL ForceForeground(HWND window);

// filter: pairs of description and pattern, each zero-terminated, ended by an empty
// string. path: the starting path in, the chosen full path out (pathSize bytes).
bool PickFile(HWND owner, const char* title, const char* filter, char* path, DWORD pathSize);
// The same for a file to write; asks before replacing one.
bool PickSaveFile(HWND owner, const char* title, const char* filter, char* path, DWORD pathSize);
bool PickFont(HWND owner, LOGFONTA* font);
COLORREF PickColor(HWND owner, COLORREF colour);

// The record size PickFile passes: the 76-byte form without the Windows 2000 fields.
// The texts and the path pass in UTF-16 (the W call), so they read right on any code page.
inline const DWORD kOpenFileRecordSize = OPENFILENAME_SIZE_VERSION_400W;
#if !defined(_WIN64)
static_assert(offsetof(OPENFILENAMEW, lpTemplateName) + sizeof(LPCWSTR) == 76,
    "the 32-bit open-file record is 76 bytes");
#endif
