// Whether the texts a window lays out show whole: each static, button, check box and
// group box against its control's client area, in the control's own font, at the
// display's scaling; each list cell against its column; a drop-down list's chosen line
// against its field. (An edit's text scrolls: only TextNeeds measures it.) A static that ends in "..." when cut (SS_ENDELLIPSIS and its kin) is
// shortened visibly and passes: its whole text must be kept elsewhere.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The room a control needs for its text, in pixels (a word-wrapped static: its height at
// its own width; an edit: its text on one line).
SIZE TextNeeds(HWND control);

// What a control shows its text in: an edit's formatting rectangle, the client area else.
RECT TextRoom(HWND control);

// Whether a static ends a cut text in "...".
bool EndsCutTextVisibly(HWND control);

// One line per visible child of `window` whose text is cut, naming its id, class and the
// pixels it lacks; empty when every text is whole. Lists and drop-down lists are read
// cell by cell.
std::vector<std::string> CutTexts(HWND window);

// CutTexts as one text, a line each (for a test's message); empty when every text is whole.
std::string CutTextReport(HWND window);
