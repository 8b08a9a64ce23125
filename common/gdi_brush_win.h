// GDIBRUSH: one brush object with what it was made from (a pattern bitmap, a hatch style
// or a plain colour). The bitmap is not owned.
#pragma once

#include <windows.h>

class GDIBRUSH {
public:
    GDIBRUSH() = default;
    virtual ~GDIBRUSH();
    GDIBRUSH(const GDIBRUSH&) = delete;
    GDIBRUSH& operator=(const GDIBRUSH&) = delete;

    virtual BOOL CreatePattern(HBITMAP pattern);
    virtual BOOL CreateHatch(int hatchStyle, COLORREF colour);
    virtual BOOL CreateSolid(COLORREF colour);
    virtual void Delete();

    HBRUSH Handle() const { return handle_; }
    COLORREF Colour() const { return colour_; }

private:
    BOOL Make();

    HBRUSH handle_ = nullptr;
    COLORREF colour_ = 0;
    HBITMAP pattern_ = nullptr;
    int hatchStyle_ = -1;  // -1: no hatch
};
