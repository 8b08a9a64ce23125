// Start with Windows as the tray menu and the settings dialog offer it: ticked while
// KELVIX's logon task starts this program.
#pragma once

#include <windows.h>

bool StartsWithWindows();
// Registers or removes the task as wanted; a failure is told in a box and leaves the task
// as it was, so the next look at the check shows the truth.
void ChangeStartWithWindows(HWND owner, bool wanted);
