// The whole name of every monitor cell in a tip: the cells are narrower than the longest
// model names, so a long name ends in "..." in its cell and is read whole in the tip.
#pragma once

#include <windows.h>

// A tip window owned by `window` (it goes with it), one tool per name control
// [firstId, firstId + cells); null when the tip window could not be made.
HWND CreateNameTips(HWND window, int firstId, unsigned cells);

// Cell `cell`'s tip shows `text`; a null `tips` does nothing.
void SetNameTip(HWND tips, HWND window, unsigned cell, const wchar_t* text);
