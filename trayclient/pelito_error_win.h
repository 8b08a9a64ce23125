// The one way PELITO tells the user about a failure.
#pragma once

#include <windows.h>

// Message box with the text of the message number, caption "エラー情報", the error
// icon, topmost and brought to the foreground. owner may be null. While the box of a
// message is open, showing the same message again does nothing.
void ShowPelitoError(HWND owner, unsigned index);
// The same box for a settings file (a bare name, kept in the Windows directory, or a
// full path) that could not be written, naming it with its full path.
void ShowPelitoWriteError(HWND owner, const char* file);
