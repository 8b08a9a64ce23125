// Pictures for a person to look at: a window as it is on the screen, and icons in a row.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

void SaveWindowPicture(HWND window, const char* path);
// The icons side by side, each drawn at `scale` times 16 pixels, `columns` per row.
void SaveIconSheet(const std::vector<HICON>& icons, int columns, int scale, const char* path);
// The icon drawn over magenta (0xFF00FF), 16 x 16 pixels as 0xRRGGBB, top row first.
std::vector<std::uint32_t> RenderIcon(HICON icon);
