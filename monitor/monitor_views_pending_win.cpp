// Stand-in for the monitor views until they are built: the windows do not open yet, so
// their commands leave every handle null and the tray menu shows them unchecked.
#include "monitor_views.h"

HWND OpenMonitorWindow(HWND) { return nullptr; }
HWND OpenSmartWindow() { return nullptr; }
void RunAboutDialog(HWND) {}
void RefreshMonitorWindow(HWND) {}
