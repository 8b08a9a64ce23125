// What "温度値を複写" puts on the clipboard: one line per drive with a temperature, the
// same in both languages.
#pragma once

#include "drive_readings.h"
#include "language.h"

#include <optional>
#include <string>

constexpr std::size_t kClipboardBlockSize = 2048;

// "%2u℃ : %s (%s %s)\r\n" per drive as code page 932 bytes, every line ending in CR LF.
// Only whole lines that fit the clipboard block with its terminating zero are kept.
std::string ClipboardText(const DriveReadings& readings);

// The clipboard's formats for those lines. Windows makes plain text from the UTF-16 in the
// reader's code page; the code page 932 bytes go on as plain text of their own only where
// the program speaks Japanese, as they always did.
struct ClipboardContent {
    std::u16string unicode;             // CF_UNICODETEXT
    std::optional<std::string> cp932;   // CF_TEXT, when there is one
};
ClipboardContent ClipboardContentOf(const DriveReadings& readings, Language language);
