// The history window: every drive's temperature over the last hour, day, week, month or
// year, one line per drive, with each drive's warning temperature and a CSV export.
#pragma once

#include "monitor_views.h"

#include <windows.h>

constexpr char kHistoryWindowClass[] = "KELVIX_HISTORY";

// Its commands (WM_COMMAND), also from its range buttons and context menu.
enum HistoryWindowCommand : UINT {
    CMD_HISTORY_RANGE_FIRST = 32804,  // 1 hour .. 1 year, in HistoryRange's order
    CMD_HISTORY_RANGE_LAST = 32808,
    CMD_HISTORY_SAVE_CSV = 32809,
};
