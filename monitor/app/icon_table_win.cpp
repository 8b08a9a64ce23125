#include "icon_table.h"

#include "glyphs.h"
#include "tray_icon.h"

#include <algorithm>
#include <iterator>

IconTable::~IconTable()
{
    DestroyIconTable(*this);
}

namespace {

// The picture of one slot, composed from the glyphs; null when it cannot be made.
HICON ComposeSlot(HIMAGELIST glyphs, unsigned slot)
{
    switch (slot) {
    case kSlotNoTemperature:
        return MergedGlyphIcon(glyphs, kGlyphBackground, kGlyphNoTemperature);
    case kSlotStopped:
        return MergedGlyphIcon(glyphs, kGlyphBackground, kGlyphStopped);
    case kSlotFixedIcon:
        return ImageList_GetIcon(glyphs, kGlyphFixedIcon, ILD_NORMAL);
    default:
        return slot < kDigitIconCount ? ComposeDigitIcon(glyphs, static_cast<int>(slot)) : nullptr;
    }
}

}  // namespace

bool ComposeIconTable(IconTable& table, const char* path)
{
    HIMAGELIST glyphs = LoadGlyphs(path, GlyphSet::Monitor);
    if (!glyphs) {
        return false;
    }
    HICON digits[kDigitIconCount];
    const bool composed = ComposeDigitIcons(glyphs, digits);
    HICON noTemperature = composed ? ComposeSlot(glyphs, kSlotNoTemperature) : nullptr;
    HICON stopped = composed ? ComposeSlot(glyphs, kSlotStopped) : nullptr;
    HICON fixedIcon = composed ? ComposeSlot(glyphs, kSlotFixedIcon) : nullptr;
    ImageList_Destroy(glyphs);

    if (!composed || !noTemperature || !stopped || !fixedIcon) {
        for (HICON icon : {noTemperature, stopped, fixedIcon}) {
            if (icon) DestroyIcon(icon);
        }
        if (composed) {
            for (HICON icon : digits) DestroyIcon(icon);
        }
        return false;
    }
    DestroyIconTable(table);
    std::copy(std::begin(digits), std::end(digits), table.icons);
    table.icons[kSlotNoTemperature] = noTemperature;
    table.icons[kSlotStopped] = stopped;
    table.icons[kSlotFixedIcon] = fixedIcon;
    return true;
}

bool LoadIconTable(IconTable& table, const char* path)
{
    HIMAGELIST glyphs = LoadGlyphs(path, GlyphSet::Monitor);
    if (!glyphs) {
        return false;
    }
    DestroyIconTable(table);
    table.glyphs = glyphs;
    return true;
}

void ReadyTraySlot(IconTable& table, TrayIcon& tray, unsigned slot)
{
    if (slot >= kIconTableSize) {
        return;
    }
    if (!table.icons[slot] && table.glyphs) {
        table.icons[slot] = ComposeSlot(table.glyphs, slot);
    }
    if (tray.SlotIcon(slot) != table.icons[slot]) {
        tray.SetSlot(table.icons[slot], slot);
    }
}

void DestroyIconTable(IconTable& table)
{
    for (HICON& icon : table.icons) {
        if (icon) {
            DestroyIcon(icon);
            icon = nullptr;
        }
    }
    if (table.glyphs) {
        ImageList_Destroy(table.glyphs);
        table.glyphs = nullptr;
    }
}

void PutIconTableIntoTray(const IconTable& table, TrayIcon& tray)
{
    for (unsigned slot = 0; slot < kIconTableSize; ++slot) {
        tray.SetSlot(table.icons[slot], slot);
    }
}

bool ReplaceGlyphFile(IconTable& table, TrayIcon& tray, const char* path, unsigned slot)
{
    IconTable fresh;
    if (!ComposeIconTable(fresh, path)) {
        return false;
    }
    // The tray takes the new pictures before the old ones go, so it never shows a
    // destroyed icon.
    PutIconTableIntoTray(fresh, tray);
    tray.Modify(slot);
    DestroyIconTable(table);
    std::copy(std::begin(fresh.icons), std::end(fresh.icons), table.icons);
    std::fill(std::begin(fresh.icons), std::end(fresh.icons), nullptr);
    return true;
}
