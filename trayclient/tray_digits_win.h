// The digit pictures of PELITO's drive icons.
#pragma once

// Puts pictures composed from the glyph file at `path` into every drive icon and shows them;
// false (nothing changed) when the file does not load.
bool ReplaceDigitIcons(const char* path);
