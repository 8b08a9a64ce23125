#include "icon_table.h"

#include "glyphs.h"
#include "tray_icon.h"

#include <algorithm>
#include <iterator>
#include <new>
#include <utility>

IconTable::~IconTable()
{
    DestroyIconTable(*this);
}

namespace {

// The picture of one slot, composed from the kept glyphs; null when it cannot be made.
HICON ComposeSlot(const GlyphIcons& glyphs, unsigned slot)
{
    switch (slot) {
    case kSlotNoTemperature:
        return glyphs.Compose({kGlyphBackground, kGlyphNoTemperature});
    case kSlotStopped:
        return glyphs.Compose({kGlyphBackground, kGlyphStopped});
    case kSlotFixedIcon:
        return glyphs.Compose({kGlyphFixedIcon});
    default:
        return ComposeDigitIcon(glyphs, static_cast<int>(slot));
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
    HICON noTemperature = composed ? MergedGlyphIcon(glyphs, kGlyphBackground, kGlyphNoTemperature) : nullptr;
    HICON stopped = composed ? MergedGlyphIcon(glyphs, kGlyphBackground, kGlyphStopped) : nullptr;
    HICON fixedIcon = composed ? ImageList_GetIcon(glyphs, kGlyphFixedIcon, ILD_NORMAL) : nullptr;
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
    std::unique_ptr<GlyphIcons> glyphs(new (std::nothrow) GlyphIcons);
    if (!glyphs || !glyphs->Load(path, GlyphSet::Monitor)) {
        return false;
    }
    DestroyIconTable(table);
    table.glyphs = std::move(glyphs);
    return true;
}

void ReadyTraySlot(IconTable& table, TrayIcon& tray, unsigned slot)
{
    if (slot >= kIconTableSize) {
        return;
    }
    if (!table.icons[slot] && table.glyphs) {
        table.icons[slot] = ComposeSlot(*table.glyphs, slot);
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
    table.glyphs.reset();
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
