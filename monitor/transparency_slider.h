// A small caption-less pop-up with a horizontal slider and its value beside it, which
// reports every position to its owner while it moves and closes when it loses the
// activation, like a drop-down. KELVIX uses it for the monitor window's opacity.
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

// The monitor window's request: dialog 105 with its slider and value text.
constexpr std::uint32_t kSliderDialogId = 105;
constexpr std::uint32_t kSliderControlId = 1050;
constexpr std::uint32_t kSliderValueTextId = 1051;

// Closes any open slider window, keeps a copy of the request and opens the window as a
// modeless dialog. Returns it, or null.
HWND OpenSlider(const SliderRequest& request);
// Destroys the open slider window, if any, and clears the kept request.
void CloseSlider();
// The kept request (all zero while no slider window is open).
const SliderRequest& CurrentSlider();
