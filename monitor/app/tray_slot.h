// Which of the 203 composed tray pictures to show.
#pragma once

#include <cstdint>

constexpr unsigned kIconTableSize = 203;
constexpr unsigned kSlotNoTemperature = 200;
constexpr unsigned kSlotStopped = 201;
constexpr unsigned kSlotFixedIcon = 202;
constexpr unsigned kWarningBankOffset = 100;

// hottest: the highest current temperature of the present drives, 0 for none.
// Two digits is all the icon has: a drive at 100 or more shows 99, in warning colours
// when it is hotter than the warning temperature, else in normal colours.
unsigned SelectTrayIconSlot(std::uint8_t hottest, bool measuring, int noTrayIcon, unsigned thresholdCurrent);
