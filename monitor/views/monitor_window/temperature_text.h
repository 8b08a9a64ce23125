// The temperature text of a monitor cell, made with the user's format "Form" from
// KELVIX.INI. The format comes from a file anyone may edit, so only a format with
// exactly one integer conversion and a short result is used; anything else is "%d".
#pragma once

#include "settings.h"

#include <cstdint>

// Longest temperature text, without its terminating zero.
constexpr unsigned kTemperatureTextMax = kShortTextSize - 1;

// True for plain text with "%%" escapes and exactly one %d, %i, %u, %x or %X, each
// with optional flags (-+ #0) and width; no length modifiers, precision or '*'. The
// text must end within the 16 bytes of the Form field.
bool IsTemperatureFormat(const char* form);

// Writes the temperature with `form`, or with "%d" when the format is refused or its
// result would be longer than kTemperatureTextMax characters.
void FormatTemperature(const char* form, std::uint8_t temperature, char (&text)[kShortTextSize]);
