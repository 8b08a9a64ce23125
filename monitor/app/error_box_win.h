// ShowError: the one way the monitor tells the user about a failure.
#pragma once

#include <windows.h>

// A box with the MessageTable text of the index, caption "エラー情報", the stop icon,
// brought to the foreground and kept topmost. owner may be null.
void ShowError(HWND owner, unsigned index);
// The same box for a settings file (a bare name, kept in the Windows directory) that
// could not be written, naming it with its full path.
void ShowWriteError(HWND owner, const char* bareName);
// The same box when the export services cannot listen: the ports and the address named.
void ShowExportError(HWND owner, unsigned hddtempPort, unsigned metricsPort, const char* listenAddress);
// The same box with a text of its own (code page 932).
void ShowErrorText(HWND owner, const char* text);
