// Pieces of the monitor window shared by its dialog procedure and its context menu.
#pragma once

#include <windows.h>

// Opaque at Alpha 255, else layered with that opacity; nothing on systems without
// layered windows.
void ApplyTransparency(HWND window);
// Makes the temperature font from Settings::Font and gives it to the written cells.
void ApplyTemperatureFont(HWND window);
// Worst mode on or off, with its timer.
void SetWorstMode(HWND window, bool on);
// Keeps the position in memory, frees the drawing objects, forgets and destroys the window.
void CloseMonitorWindow(HWND window);

// The context menu at the cursor; refreshing waits while it is open.
void ShowMonitorMenu(HWND window);
// A command of the context menu (or 32799 from the main window).
void HandleMonitorCommand(HWND window, UINT command);
