// Pixel sizes the programs keep (font heights in the settings files, the about dialogs'
// fonts) are sizes at 100 % display scaling, 96 dpi, as they always were; they are scaled
// to the display where a font is made and back where the user picks one.
#pragma once

constexpr int kStandardDpi = 96;

// value * dpi / 96 and back, rounded to the nearest whole pixel (halves away from zero).
// ScaleFromDpi(ScaleToDpi(v, dpi), dpi) == v for every dpi of 96 and more. A dpi below
// 1 counts as 96.
int ScaleToDpi(int value, int dpi);
int ScaleFromDpi(int value, int dpi);

// The display's dots per inch as the program sees them (Windows only).
int DisplayDpi();
