// Which of the 203 composed tray pictures to show.
#pragma once

#include <cstdint>

constexpr unsigned kIconTableSize = 203;
constexpr unsigned kSlotNoTemperature = 200;
constexpr unsigned kSlotStopped = 201;
constexpr unsigned kSlotFixedIcon = 202;
constexpr unsigned kWarningBankOffset = 100;

// hottest: the highest current temperature of the present drives, 0 for none; warning:
// some drive is hotter than its own warning limit (then the digits are in warning
// colours). Two digits is all the icon has: a drive at 100 or more shows 99.
unsigned SelectTrayIconSlot(std::uint8_t hottest, bool warning, bool measuring, int noTrayIcon);
