// The pictures of the tray client (client_pictures.h), composed from a glyph file. The
// set owns its icons.
#pragma once

#include "client_pictures.h"
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

    HICON Icon(unsigned index) const { return index < kClientPictureCount ? icons_[index] : nullptr; }
    bool Empty() const { return icons_[0] == nullptr; }
    // The pictures' width and height in pixels: the small-icon size when they were made.
    int Side() const { return side_; }

private:
    HICON icons_[kClientPictureCount] = {};
    int side_ = 0;
};
