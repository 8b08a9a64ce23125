#include "clipboard_text.h"

#include "utf16_from_cp932.h"

#include <cstdio>

std::string ClipboardText(const DriveReadings& readings)
{
    std::string text;
    for (unsigned i = 0; i < readings.count; ++i) {
        const DriveReading& reading = readings.items[i];
        if (reading.temperature == 0) {
            continue;  // asleep since the start: nothing measured to copy
        }
        char line[256];
        const int length = std::snprintf(line, sizeof line, "%2u℃ : %s (%s %s)\r\n",
            static_cast<unsigned>(reading.temperature), reading.model, reading.capacityText,
            reading.transferModeText);
        if (length < 0 || static_cast<std::size_t>(length) >= sizeof line ||
            text.size() + static_cast<std::size_t>(length) >= kClipboardBlockSize) {
            break;
        }
        text += line;
    }
    return text;
}

ClipboardContent ClipboardContentOf(const DriveReadings& readings, Language language)
{
    const std::string text = ClipboardText(readings);
    ClipboardContent content;
    content.unicode = Utf16FromCp932(text.c_str());
    if (language == Language::Japanese) {
        content.cp932 = text;
    }
    return content;
}
