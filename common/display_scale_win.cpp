#include "display_scale.h"

#include <windows.h>

int DisplayDpi()
{
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : kStandardDpi;
    if (screen) {
        ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? dpi : kStandardDpi;
}
