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
// The same, with warning colours only when `hottestAwake` (the hottest drive that was
// read, not left asleep) is hotter than the warning temperature: a sleeping drive's last
// value shows in normal colours.
unsigned SelectTrayIconSlot(std::uint8_t hottest, std::uint8_t hottestAwake, bool measuring, int noTrayIcon,
                            unsigned thresholdCurrent);
