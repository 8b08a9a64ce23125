// A small caption-less pop-up with a horizontal slider and its value beside it, which
// reports every position to its owner while it moves and closes when it loses the
// activation, like a drop-down. KELVIX uses it for the monitor window's opacity.
#pragma once

#include "slider_request.h"

#include <windows.h>

#include <cstdint>

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
