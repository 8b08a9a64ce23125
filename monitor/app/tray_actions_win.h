// What the tray icon does: mouse actions, the two balloons, the menu and the clipboard.
#pragma once

#include <windows.h>

void HandleTrayCallback(HWND window, LPARAM mouseMessage);
void InfoBalloon(HWND window);
void WarningBalloon(HWND window);
// The balloon of the last measurement's health changes, once; nothing when none.
void HealthBalloon(HWND window);
// Every drive whose health is Caution: its counts as they are give no caution any more.
void AcceptCautions();
void RunTrayMenu(HWND window);
void CopyTemperaturesToClipboard(HWND window);
