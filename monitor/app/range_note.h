// What the settings dialog says about a saved value its spin cannot show: a value in
// KELVIX.INI outside the range the dialog offers (the program uses it all the same),
// which Apply would replace by the nearest end of the range.
#pragma once

#include "settings.h"

#include <string>

// Empty when the saved interval lies in [TimerMinimum, TimerMaximum].
std::string IntervalNote(const Settings& settings);
// Empty when the saved warning temperature lies in [ThresholdMinimum, ThresholdMaximum].
std::string ThresholdNote(const Settings& settings);
