// Title, text and icon of the two balloons: the information balloon lists every drive
// with a temperature, the warning balloon the drives above the warning temperature.
#pragma once

#include "drive_readings.h"
#include "warning_limit.h"

#include <string>

// Balloon icon flags of the notification area.
constexpr unsigned kBalloonIconInfo = 1;
constexpr unsigned kBalloonIconWarning = 2;
constexpr unsigned kBalloonIconError = 3;
constexpr unsigned kBalloonNoSound = 0x10;  // NIIF_NOSOUND: the toast comes without its sound

constexpr unsigned kBalloonTimeoutMs = 10000;

struct BalloonContent {
    std::string title;
    std::string text;
    unsigned iconFlags = 0;
    bool Empty() const { return text.empty(); }
};

// One "#%-2u %2u℃ : %s" line per drive (a sleeping one adds " (スリープ中)"), joined by line feeds, no feed after the last.
// When they take more than 255 bytes, the hottest drives are listed first, as many as fit,
// and a last line "ほか N 台" counts the others. An empty text means: show no balloon.
BalloonContent InfoBalloonContent(const DriveReadings& readings, bool measuring, unsigned timerCurrent);

// Only drives strictly hotter than their warning limit, titled with the lowest limit
// among them; empty when useBalloon is 0. A silent balloon (a reminder) plays no sound.
BalloonContent WarningBalloonContent(const DriveReadings& readings, int useBalloon, const WarningLimits& limits,
    bool silent = false);
