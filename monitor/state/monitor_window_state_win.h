// The monitor window's own members of the application state: its flags, the worst-mode
// timer, the slider request for its opacity and its drawing objects.
#pragma once

#include "gdi_brush_win.h"
#include "gdi_font_win.h"
#include "slider_request.h"

#include <windows.h>

#include <cstdint>

struct MonitorWindowState {
    std::uint32_t menuOpen = 0;    // nonzero while the context menu is shown
    std::uint32_t worstMode = 0;   // nonzero while the texts show worst temperatures
    UINT_PTR worstTimer = 0;       // id of timer 4098 while it runs on the window
    DWORD worstModeEnds = 0;       // tick count at which worst mode ends, closed or not
    SliderRequest sliderRequest{};
    GDIBRUSH nameBrush;
    GDIBRUSH temperatureBrush;
    GDIFONT temperatureFont;
    HWND nameTips = nullptr;       // the cells' whole names (owned by the window)
};
