#include "balloon_text.h"

#include "drive_table.h"
#include "health_words.h"
#include "kelvix_texts.h"

#include <cstdio>

namespace {

constexpr std::size_t kTextBufferSize = 256;  // the notify record's balloon text field

std::string Format(KelvixText format, unsigned value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, Text(format), value);
    return buffer;
}

std::string Line(const DriveReading& reading)
{
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, Text(reading.sleeping ? KelvixText::BalloonSleepingLine : KelvixText::BalloonLine),
        reading.driveNumber, static_cast<unsigned>(reading.temperature), reading.model, SleepingText());
    std::string line = buffer;
    // A drive in caution or bad says so after its name; a good one looks as it always did.
    if (reading.health >= 2) {
        line += std::string(" [") + HealthWord(reading.health) + "]";
    }
    return line + "\n";
}

// Lines of the readings that pass, up to what the field holds, without the final line
// feed.
template <typename Listed>
std::string Lines(const DriveReadings& readings, Listed listed)
{
    std::string text;
    for (unsigned i = 0; i < readings.count; ++i) {
        if (!listed(readings.items[i])) {
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
    content.text = Lines(readings, [](const DriveReading& reading) { return reading.temperature > 0; });
    if (content.text.empty()) {
        return content;
    }
    if (measuring) {
        content.title = Format(KelvixText::BalloonMeasuringEvery, timerCurrent);
        content.iconFlags = kBalloonIconInfo;
    } else {
        content.title = Text(KelvixText::BalloonMeasuringStopped);
        content.iconFlags = kBalloonIconError;
    }
    return content;
}

BalloonContent WarningBalloonContent(const DriveReadings& readings, int useBalloon, const WarningLimits& limits,
    bool silent)
{
    BalloonContent content;
    if (useBalloon == 0) {
        return content;
    }
    unsigned lowestLimit = ~0u;
    content.text = Lines(readings, [&](const DriveReading& reading) {
        if (!IsHot(reading, limits)) {
            return false;
        }
        const unsigned limit = DriveWarningLimit(reading, limits);
        lowestLimit = limit < lowestLimit ? limit : lowestLimit;
        return true;
    });
    if (content.text.empty()) {
        return content;
    }
    // Every drive listed is above the lowest limit among them.
    content.title = Format(KelvixText::BalloonAbove, lowestLimit);
    content.iconFlags = kBalloonIconWarning | (silent ? kBalloonNoSound : 0u);
    return content;
}
