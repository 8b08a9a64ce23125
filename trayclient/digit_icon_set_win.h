// The 200 temperature pictures of the tray client, composed from a glyph file: index
// 100 * bank + temperature, bank 1 in warning colours. The set owns its icons.
#pragma once

#include "glyphs.h"

#include <windows.h>

class DigitIconSet {
public:
    DigitIconSet() = default;
    ~DigitIconSet() { Destroy(); }
    DigitIconSet(const DigitIconSet&) = delete;
    DigitIconSet& operator=(const DigitIconSet&) = delete;

    // Composes the set from the glyph file; on failure the set stays as it was.
    bool Build(const char* path);
    void Destroy();
    void Swap(DigitIconSet& other);

    HICON Icon(unsigned index) const { return index < kDigitIconCount ? icons_[index] : nullptr; }
    bool Empty() const { return icons_[0] == nullptr; }

private:
    HICON icons_[kDigitIconCount] = {};
};
