// The text "温度値を複写" puts on the clipboard: one line per drive with a temperature.
#pragma once

#include "drive_readings.h"

#include <string>

constexpr std::size_t kClipboardBlockSize = 2048;

// "%2u℃ : %s (%s %s)\r\n" per drive, every line ending in CR LF. Only whole lines that
// fit the clipboard block with its terminating zero are kept.
std::string ClipboardText(const DriveReadings& readings);
