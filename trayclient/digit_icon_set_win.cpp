#include "digit_icon_set_win.h"

#include <utility>

bool DigitIconSet::Build(const char* path, int side)
{
    // The client's glyph files need no fixed icon (543).
    GlyphIcons glyphs;
    if (!glyphs.Load(path, GlyphSet::TrayClient)) {
        return false;
    }
    if (side != 0) {
        glyphs.SetPictureSide(side);
    }
    // Glyphs no temperature picture uses must still make icons, as when all 44 went into
    // one image list.
    for (int index : {kGlyphNoTemperature, kGlyphStopped, kGlyphFixedIcon}) {
        if (!glyphs.Usable(index)) {
            return false;
        }
    }
    DigitIconSet fresh;
    fresh.side_ = glyphs.PictureSide();
    for (unsigned i = 0; i < kClientPictureCount; ++i) {
        fresh.icons_[i] = i == kNoTemperaturePicture ? glyphs.Compose({kGlyphBackground, kGlyphNoTemperature})
                                                      : ComposeDigitIcon(glyphs, static_cast<int>(i));
        if (!fresh.icons_[i]) {
            return false;  // fresh destroys what it has
        }
    }
    Swap(fresh);
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
    for (unsigned i = 0; i < kClientPictureCount; ++i) {
        std::swap(icons_[i], other.icons_[i]);
    }
    std::swap(side_, other.side_);
}
