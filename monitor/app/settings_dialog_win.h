// The settings dialog (resource 102), run modally from the tray menu.
#pragma once

#include <windows.h>

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Control ids of dialog 102.
enum SettingsControl : int {
    IDC_INTERVAL_EDIT = 1010,
    IDC_INTERVAL_SPIN = 1011,
    IDC_INTERVAL_RANGE = 1012,
    IDC_THRESHOLD_EDIT = 1013,
    IDC_THRESHOLD_SPIN = 1014,
    IDC_THRESHOLD_RANGE = 1015,
    IDC_NO_TRAY_ICON = 1016,
    IDC_USE_BALLOON = 1017,
    IDC_USE_INFORMATION = 1018,
    IDC_USE_NETWORK = 1019,
    IDC_PORT_EDIT = 1020,
    IDC_PORT_SPIN = 1021,
    IDC_USE_LOG = 1022,
    IDC_LOG_FILE = 1023,
    IDC_CFG_FILE = 1024,
    IDC_ICON_FILE = 1025,
    IDC_HDDTEMP_PORT = 1026,
    IDC_METRICS_PORT = 1027,
    IDC_LISTEN_ADDRESS = 1028,
    IDC_ALLOWED_HOSTS = 1029,
    IDC_RATE_EDIT = 1030,
    IDC_RATE_SPIN = 1031,
    IDC_NO_WAKE = 1032,
    IDC_WAKE_AFTER_EDIT = 1033,
    IDC_WAKE_AFTER_SPIN = 1034,
    IDC_NOTIFY_SETTINGS = 1035,  // opens the notifications dialog
    IDC_HOME_ASSISTANT = 1036,   // opens the Home Assistant (MQTT) dialog
    IDC_START_WITH_WINDOWS = 1037,  // the logon task, applied on OK
    IDC_SETTINGS_PAGES = 1039,   // the tab control that shows one page at a time
    // The labels, each with an id so its text can be set like any other.
    IDC_INTERVAL_LABEL = 1040,
    IDC_INTERVAL_UNIT = 1041,
    IDC_THRESHOLD_LABEL = 1042,
    IDC_THRESHOLD_UNIT = 1043,
    IDC_WAKE_AFTER_LABEL = 1044,
    IDC_WAKE_AFTER_UNIT = 1045,
    IDC_PORT_LABEL = 1046,
    IDC_ALLOWED_HOSTS_LABEL = 1047,
    IDC_RATE_LABEL = 1048,
    IDC_RATE_UNIT = 1049,
    IDC_HDDTEMP_PORT_LABEL = 1050,
    IDC_HDDTEMP_PORT_HINT = 1051,
    IDC_METRICS_PORT_LABEL = 1052,
    IDC_METRICS_PORT_HINT = 1053,
    IDC_LISTEN_ADDRESS_LABEL = 1054,
    IDC_LISTEN_ADDRESS_HINT = 1055,
    IDC_LOG_FILE_LABEL = 1056,
    IDC_CFG_FILE_LABEL = 1057,
    IDC_ICON_FILE_LABEL = 1058,
    IDC_WEB_PAGE = 1059,
    // Empty unless KELVIX.INI holds a value the spin cannot show.
    IDC_INTERVAL_NOTE = 1060,
    IDC_THRESHOLD_NOTE = 1061,
};

// The pages of the tab control, in order.
enum SettingsPage : int {
    PAGE_MEASUREMENT,  // interval, warning temperature, tray, balloon, sleeping drives, start
    PAGE_NETWORK,      // the network service and who it answers
    PAGE_EXPORT,       // hddtemp and Prometheus ports
    PAGE_FILES,        // log, database and tray icon files
    PAGE_NOTIFY,       // the notifications and Home Assistant dialogs
    kSettingsPageCount,
};

// The page a control of dialog 102 belongs to, or -1 for the tab control and the buttons
// below it.
int SettingsPageOf(int control);
