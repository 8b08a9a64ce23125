#include "digit_icon_set_win.h"

#include <utility>

bool DigitIconSet::Build(const char* path)
{
    // The client's glyph files need no fixed icon (543).
    HIMAGELIST glyphs = LoadGlyphs(path, GlyphSet::TrayClient);
    if (!glyphs) {
        return false;
    }
    HICON fresh[kDigitIconCount];
    const bool composed = ComposeDigitIcons(glyphs, fresh);
    ImageList_Destroy(glyphs);
    if (!composed) {
        return false;
    }
    Destroy();
    for (unsigned i = 0; i < kDigitIconCount; ++i) {
        icons_[i] = fresh[i];
    }
    return true;
}

void DigitIconSet::Destroy()
{
    for (HICON& icon : icons_) {
        if (icon) {
            DestroyIcon(icon);
            icon = nullptr;
        }
    }
}

void DigitIconSet::Swap(DigitIconSet& other)
{
    for (unsigned i = 0; i < kDigitIconCount; ++i) {
        std::swap(icons_[i], other.icons_[i]);
    }
}
