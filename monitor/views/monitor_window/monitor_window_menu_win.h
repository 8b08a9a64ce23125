// The monitor window's context menu: shown at the cursor, its commands posted to the
// window. Refreshing waits while it is open.
#pragma once

#include <windows.h>

void ShowMonitorMenu(HWND window);
