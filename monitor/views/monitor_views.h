// The windows the tray menu opens: the monitor window (dialog 103), the S.M.A.R.T.
// viewer (dialog 104) and the about dialog (101). Each clears its own handle in the
// application state when it closes, and closes itself on command 32799.
#pragma once

#include <windows.h>

// The modeless monitor window owned by `owner`, or null.
HWND OpenMonitorWindow(HWND owner);
// The modeless S.M.A.R.T. viewer without owner, or null.
HWND OpenSmartWindow();
// Shows the latest measurement in the open S.M.A.R.T. viewer (a self-test's progress).
void RefreshSmartWindow(HWND smartWindow);
// The about dialog, modal.
void RunAboutDialog(HWND owner);
// The history window (not owned: it has its own taskbar button), or null.
HWND OpenHistoryWindow();
// Reads the history again and redraws the open history window.
void RefreshHistoryWindow(HWND window);
// Shows the latest measurement in the open monitor window.
void RefreshMonitorWindow(HWND monitorWindow);
