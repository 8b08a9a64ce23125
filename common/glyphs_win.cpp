#include "glyphs.h"

namespace {

constexpr int kOnesBase = 0;   // ones 0-9, then tens 10-19, per bank of 20
constexpr int kTensBase = 10;
constexpr int kBankSize = 20;

// Owns one loaded module or image list for the length of a scope.
struct ModuleHolder {
    HMODULE module;
    ~ModuleHolder() { if (module) FreeLibrary(module); }
};

struct ImageListHolder {
    HIMAGELIST list;
    ~ImageListHolder() { if (list) ImageList_Destroy(list); }
};

int GlyphId(int index, GlyphSet set)
{
    if (set == GlyphSet::TrayClient && index == kGlyphFixedIcon) {
        return kFirstGlyphId + 2;
    }
    return kFirstGlyphId + index;
}

}  // namespace

HIMAGELIST LoadGlyphs(const char* path, GlyphSet set)
{
    ModuleHolder module{LoadLibraryA(path)};
    if (!module.module) {
        return nullptr;
    }
    ImageListHolder glyphs{ImageList_Create(16, 16, ILC_MASK, 0, 0)};
    if (!glyphs.list) {
        return nullptr;
    }
    for (int index = 0; index < kGlyphCount; ++index) {
        HICON icon = static_cast<HICON>(
            LoadImageA(module.module, MAKEINTRESOURCEA(GlyphId(index, set)), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
        const int added = icon ? ImageList_ReplaceIcon(glyphs.list, -1, icon) : -1;
        if (icon) {
            DestroyIcon(icon);  // the list keeps its own copy
        }
        if (added < 0) {
            return nullptr;
        }
    }
    HIMAGELIST result = glyphs.list;
    glyphs.list = nullptr;
    return result;
}

HICON MergedGlyphIcon(HIMAGELIST glyphs, int under, int over)
{
    ImageListHolder merged{ImageList_Merge(glyphs, under, glyphs, over, 0, 0)};
    return merged.list ? ImageList_GetIcon(merged.list, 0, ILD_NORMAL) : nullptr;
}

HICON ComposeDigitIcon(HIMAGELIST glyphs, int index)
{
    if (index < 0 || index >= kDigitIconCount) {
        return nullptr;
    }
    const int base = kBankSize * (index / 100);
    const int tens = index % 100 / 10;
    const int ones = index % 10;
    ImageListHolder first{ImageList_Merge(glyphs, kGlyphBackground, glyphs, base + kTensBase + tens, 0, 0)};
    if (!first.list) {
        return nullptr;
    }
    ImageListHolder second{ImageList_Merge(first.list, 0, glyphs, base + kOnesBase + ones, 0, 0)};
    return second.list ? ImageList_GetIcon(second.list, 0, ILD_NORMAL) : nullptr;
}

bool ComposeDigitIcons(HIMAGELIST glyphs, HICON (&icons)[kDigitIconCount])
{
    for (HICON& icon : icons) {
        icon = nullptr;
    }
    bool complete = true;
    for (int bank = 0; bank < 2 && complete; ++bank) {
        const int base = kBankSize * bank;
        for (int tens = 0; tens < 10 && complete; ++tens) {
            ImageListHolder first{ImageList_Merge(glyphs, kGlyphBackground, glyphs, base + kTensBase + tens, 0, 0)};
            if (!first.list) {
                complete = false;
                break;
            }
            for (int ones = 0; ones < 10; ++ones) {
                ImageListHolder second{ImageList_Merge(first.list, 0, glyphs, base + kOnesBase + ones, 0, 0)};
                HICON icon = second.list ? ImageList_GetIcon(second.list, 0, ILD_NORMAL) : nullptr;
                if (!icon) {
                    complete = false;
                    break;
                }
                icons[100 * bank + 10 * tens + ones] = icon;
            }
        }
    }
    if (!complete) {
        for (HICON& icon : icons) {
            if (icon) {
                DestroyIcon(icon);
                icon = nullptr;
            }
        }
    }
    return complete;
}
