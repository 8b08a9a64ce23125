// The 200 temperature pictures of the tray client, composed from a glyph file: index
// 100 * bank + temperature, bank 1 in warning colours. The set owns its icons.
#pragma once

#include "glyphs_win.h"

#include <windows.h>

class DigitIconSet {
public:
    DigitIconSet() = default;
    ~DigitIconSet() { Destroy(); }
    DigitIconSet(const DigitIconSet&) = delete;
    DigitIconSet& operator=(const DigitIconSet&) = delete;

    // Composes the set from the glyph file at `side` pixels (0: the display's small-icon
    // size); on failure the set stays as it was.
    bool Build(const char* path, int side = 0);
    void Destroy();
    void Swap(DigitIconSet& other);

    HICON Icon(unsigned index) const { return index < kDigitIconCount ? icons_[index] : nullptr; }
    bool Empty() const { return icons_[0] == nullptr; }
    // The pictures' width and height in pixels: the small-icon size when they were made.
    int Side() const { return side_; }

private:
    HICON icons_[kDigitIconCount] = {};
    int side_ = 0;
};
