// What the tray icon does: mouse actions, the two balloons, the menu and the clipboard.
#pragma once

#include <windows.h>

void HandleTrayCallback(HWND window, LPARAM mouseMessage);
void InfoBalloon(HWND window);
void WarningBalloon(HWND window);
void RunTrayMenu(HWND window);
void CopyTemperaturesToClipboard(HWND window);
