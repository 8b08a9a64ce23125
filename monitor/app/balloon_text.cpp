#include "balloon_text.h"

#include "drive_table.h"

#include <cstdio>

namespace {

constexpr std::size_t kTextBufferSize = 256;  // the notify record's balloon text field

std::string Format(const char* format, unsigned value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

std::string Line(const DriveReading& reading)
{
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, reading.sleeping ? "#%-2u %2u℃ : %s (%s)\n" : "#%-2u %2u℃ : %s\n",
        reading.driveNumber, static_cast<unsigned>(reading.temperature), reading.model, kSleepingText);
    return buffer;
}

// Lines of the readings above the given temperature, up to what the field holds,
// without the final line feed. Sleeping drives only when `withSleeping`.
std::string LinesAbove(const DriveReadings& readings, unsigned floor, bool withSleeping)
{
    std::string text;
    for (unsigned i = 0; i < readings.count; ++i) {
        if (readings.items[i].temperature <= floor || (readings.items[i].sleeping && !withSleeping)) {
            continue;
        }
        const std::string line = Line(readings.items[i]);
        if (text.size() + line.size() >= kTextBufferSize - 1) {
            break;
        }
        text += line;
    }
    if (!text.empty()) {
        text.pop_back();
    }
    return text;
}

}  // namespace

BalloonContent InfoBalloonContent(const DriveReadings& readings, bool measuring, unsigned timerCurrent)
{
    BalloonContent content;
    content.text = LinesAbove(readings, 0, true);
    if (content.text.empty()) {
        return content;
    }
    if (measuring) {
        content.title = Format("%u秒間隔で計測", timerCurrent);
        content.iconFlags = kBalloonIconInfo;
    } else {
        content.title = "計測停止中";
        content.iconFlags = kBalloonIconError;
    }
    return content;
}

BalloonContent WarningBalloonContent(const DriveReadings& readings, int useBalloon, unsigned thresholdCurrent)
{
    BalloonContent content;
    if (useBalloon == 0) {
        return content;
    }
    // A sleeping drive's last value is old news: it warns again once it is read.
    content.text = LinesAbove(readings, thresholdCurrent, false);
    if (content.text.empty()) {
        return content;
    }
    content.title = Format("%u℃を超えています", thresholdCurrent);
    content.iconFlags = kBalloonIconWarning;
    return content;
}
