// Stand-in for the monitor window until it is built: it does not open yet, so its command
// leaves the handle null and the tray menu shows it unchecked.
#include "monitor_views.h"

HWND OpenMonitorWindow(HWND) { return nullptr; }
void RefreshMonitorWindow(HWND) {}
