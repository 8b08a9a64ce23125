// The S.M.A.R.T. viewer (dialog 104), opened and closed from the tray menu through
// OpenSmartWindow (monitor_views.h).
#pragma once

#include <windows.h>

INT_PTR CALLBACK SmartViewerProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Control ids of dialog 104.
enum SmartViewerControl : int {
    IDC_SMART_INFO = 1002,        // drive information list
    IDC_SMART_ATTRIBUTES = 1003,  // attribute list
    IDC_SMART_DRIVES = 1004,      // drive selector
    IDC_SMART_SHORT_TEST = 1005,  // "Short self-test"
    IDC_SMART_EXTENDED_TEST = 1006,
    IDC_SMART_TEST_STATUS = 1007,  // the line beside them: a test's progress
};
