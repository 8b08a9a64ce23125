#include "gdi_brush_win.h"

GDIBRUSH::~GDIBRUSH()
{
    Delete();
}

BOOL GDIBRUSH::CreatePattern(HBITMAP pattern)
{
    pattern_ = pattern;
    hatchStyle_ = -1;
    colour_ = 0;
    return Make();
}

BOOL GDIBRUSH::CreateHatch(int hatchStyle, COLORREF colour)
{
    pattern_ = nullptr;
    hatchStyle_ = hatchStyle;
    colour_ = colour;
    return Make();
}

BOOL GDIBRUSH::CreateSolid(COLORREF colour)
{
    pattern_ = nullptr;
    hatchStyle_ = -1;
    colour_ = colour;
    return Make();
}

BOOL GDIBRUSH::Make()
{
    Delete();
    if (pattern_) {
        handle_ = CreatePatternBrush(pattern_);
    } else if (hatchStyle_ != -1) {
        handle_ = CreateHatchBrush(hatchStyle_, colour_);
    } else {
        handle_ = CreateSolidBrush(colour_);
    }
    return handle_ != nullptr;
}

void GDIBRUSH::Delete()
{
    if (handle_) {
        DeleteObject(handle_);
        handle_ = nullptr;
    }
}
