// The notifications dialog (resource 110), opened from the settings dialog: where events
// go (URL, method, body, header lines, command) and a test button that sends the test
// event and says what came of it. Tokens are shown masked; an unchanged masked field
// keeps the saved value.
#pragma once

#include <windows.h>

INT_PTR CALLBACK NotifyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

enum NotifyControl : int {
    IDC_NOTIFY_URL = 1101,
    IDC_NOTIFY_METHOD = 1102,
    IDC_NOTIFY_BODY = 1103,
    IDC_NOTIFY_HEADER1 = 1104,
    IDC_NOTIFY_HEADER2 = 1105,
    IDC_NOTIFY_HEADER3 = 1106,
    IDC_NOTIFY_COMMAND = 1107,
    IDC_NOTIFY_TEST = 1108,
    IDC_NOTIFY_RESULT = 1109,
    // The labels, set from the text table when the dialog opens.
    IDC_NOTIFY_URL_LABEL = 1120,
    IDC_NOTIFY_METHOD_LABEL = 1121,
    IDC_NOTIFY_BODY_LABEL = 1122,
    IDC_NOTIFY_HEADERS_LABEL = 1123,
    IDC_NOTIFY_COMMAND_LABEL = 1124,
    IDC_NOTIFY_SAVES_NOTE = 1125,  // Apply here saves at once, whatever the settings dialog does
};
