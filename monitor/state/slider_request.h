// What a transparency slider is asked to show and whom it tells: kept in the monitor
// window's state while the slider is open.
#pragma once

#include <windows.h>

#include <cstdint>

struct SliderRequest {
    HINSTANCE instance;        // module holding the dialog resource
    HWND owner;                // receives the notifications and owns the window; may be null
    HWND sliderWindow;         // filled with the open window
    std::uint32_t dialogId;
    std::uint32_t sliderId;
    std::uint32_t valueTextId;
    std::uint16_t notification;  // posted with the new position; 0 for none
    std::uint32_t maximum;       // low 16 bits used
    std::uint32_t minimum;       // low 16 bits used
    std::uint32_t value;         // start position; afterwards the last position
};
