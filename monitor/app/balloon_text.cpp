#include "balloon_text.h"

#include "drive_table.h"
#include "health_words.h"
#include "kelvix_texts.h"
#include "not_answering_text.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr std::size_t kTextLimit = 255;  // the notify record's balloon text, without its terminator

std::string Format(KelvixText format, unsigned value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, Text(format), value);
    return buffer;
}

std::string Line(const DriveReading& reading)
{
    char buffer[160];
    if (reading.notAnswering) {
        // Its last value is old: the line says since when it does not answer instead.
        std::snprintf(buffer, sizeof buffer, Text(KelvixText::BalloonAsleepLine), reading.driveNumber, reading.model,
            NotAnsweringText(reading.notAnsweringSince).c_str());
    } else if (reading.temperature == 0) {
        // Asleep since the start: no temperature to show yet.
        std::snprintf(buffer, sizeof buffer, Text(KelvixText::BalloonAsleepLine), reading.driveNumber, reading.model,
            SleepingText());
    } else {
        std::snprintf(buffer, sizeof buffer,
            Text(reading.sleeping ? KelvixText::BalloonSleepingLine : KelvixText::BalloonLine), reading.driveNumber,
            static_cast<unsigned>(reading.temperature), reading.model, SleepingText());
    }
    std::string line = buffer;
    // A drive in caution or bad says so after its name; a good one looks as it always did.
    if (reading.health >= 2) {
        line += std::string(" [") + HealthWord(reading.health) + "]";
    }
    return line + "\n";
}

// The last line when drives were left out: how many.
std::string LeftOut(unsigned count)
{
    return Format(KelvixText::BalloonMore, count);
}

// Lines of the readings that pass, in drive order, without the final line feed. When they
// do not all fit the field, the hottest come first, as many whole lines as fit, and a last
// line counts the rest: no drive is left out unsaid.
template <typename Listed>
std::string Lines(const DriveReadings& readings, Listed listed)
{
    const DriveReading* chosen[DriveReadings::kCapacity];
    unsigned count = 0;
    std::string text;
    for (unsigned i = 0; i < readings.count; ++i) {
        if (listed(readings.items[i])) {
            chosen[count++] = &readings.items[i];
            text += Line(readings.items[i]);
        }
    }
    if (text.size() <= kTextLimit + 1) {
        if (!text.empty()) {
            text.pop_back();
        }
        return text;
    }
    std::stable_sort(chosen, chosen + count,
        [](const DriveReading* a, const DriveReading* b) { return a->temperature > b->temperature; });
    text.clear();
    unsigned shown = 0;
    for (; shown < count; ++shown) {
        const std::string line = Line(*chosen[shown]);
        if (text.size() + line.size() + LeftOut(count - shown - 1).size() > kTextLimit) {
            break;
        }
        text += line;
    }
    return text + LeftOut(count - shown);
}

}  // namespace

BalloonContent InfoBalloonContent(const DriveReadings& readings, bool measuring, unsigned timerCurrent)
{
    BalloonContent content;
    content.text = Lines(readings, [](const DriveReading& reading) { return reading.temperature > 0 || reading.sleeping; });
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
