// A list's columns as wide as their widest text: the lists scroll sideways, so the room is
// the program's own and no cell needs to be cut.
#pragma once

#include <windows.h>

// Widens (never narrows: a width the user gave stays) every column of a report list to
// its header and its widest cell.
void WidenColumnsToText(HWND list);
