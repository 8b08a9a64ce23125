// Names and numbers of the monitor program: window class, commands, timers, resources.
#pragma once

#include <windows.h>

constexpr char kMonitorClassName[] = "ORVALD_MONITOR";  // also the instance mutex
constexpr char kMonitorTitle[] = "ORVALD MONITOR";

constexpr UINT kTrayCallbackMessage = 0x8002;
// The one tray icon's id, the same at every start: the shell keeps the user's choice to
// show it by the program's path and this id.
constexpr UINT kTrayIconId = 1;
constexpr UINT_PTR kMeasurementTimerId = 0x1000;
constexpr UINT_PTR kClickTimerId = 0x1001;
constexpr UINT_PTR kTrayRetryTimerId = 0x1003;  // adds the tray icon once the shell is there
constexpr UINT kTrayRetryMs = 3000;
constexpr UINT_PTR kHistoryTimerId = 0x1004;  // writes the history once a minute
constexpr UINT kHistoryFlushMs = 60000;

// Resources.
constexpr UINT kProgramIconId = 200;
constexpr UINT kAboutDialogId = 101;
constexpr UINT kSettingsDialogId = 102;
constexpr UINT kMonitorDialogId = 103;
constexpr UINT kSmartDialogId = 104;
constexpr UINT kMqttDialogId = 106;
constexpr UINT kNotifyDialogId = 110;

// The notification log, beside the program.
constexpr char kNotifyLogFile[] = "NOTIFY.LOG";
// Every drive's temperature and counts over time, beside KELVIX.INI.
constexpr char kHistoryFile[] = "KELVIX.HIS";

// Commands of the main window.
enum MonitorCommand : UINT {
    CMD_MEASURE_RESUME = 32786,
    CMD_MEASURE_STOP = 32787,
    CMD_MEASURE_NOW = 32789,
    CMD_COPY_TEMPERATURES = 32790,
    CMD_SETTINGS = 32791,
    CMD_MONITOR_WINDOW = 32792,
    CMD_MONITOR_REOPEN = 32793,
    CMD_SMART_WINDOW = 32794,
    CMD_SHOW_INFO = 32795,
    CMD_ABOUT = 32798,
    CMD_ACCEPT_CAUTION = 32800,  // the user has seen the drives' cautions
    CMD_HISTORY_WINDOW = 32803,
    CMD_START_WITH_WINDOWS = 32804,  // ticks or unticks the logon task
    CMD_CLOSE = 32799,  // also "close" for every window of the system
};

// Message-table indices shown by the main window.
enum MonitorMessage : unsigned {
    MSG_NO_MEMORY = 2,
    MSG_ALREADY_RUNNING = 3,
    MSG_DATABASE_FAILED = 4,
    MSG_GLYPHS_FAILED = 5,
    MSG_TRAY_FAILED = 6,
    MSG_UNKNOWN_TIMER = 7,
};
