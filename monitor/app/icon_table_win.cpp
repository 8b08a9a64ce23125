#include "icon_table_win.h"

#include "glyphs_win.h"
#include "tray_icon_win.h"

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
    GlyphIcons glyphs;
    if (!glyphs.Load(path, GlyphSet::Monitor)) {
        return false;
    }
    HICON fresh[kIconTableSize] = {};
    bool complete = true;
    for (unsigned slot = 0; slot < kIconTableSize && complete; ++slot) {
        fresh[slot] = ComposeSlot(glyphs, slot);
        complete = fresh[slot] != nullptr;
    }
    if (!complete) {
        for (HICON icon : fresh) {
            if (icon) DestroyIcon(icon);
        }
        return false;
    }
    DestroyIconTable(table);
    std::copy(std::begin(fresh), std::end(fresh), table.icons);
    table.side = glyphs.PictureSide();
    return true;
}

bool LoadIconTable(IconTable& table, const char* path)
{
    std::unique_ptr<GlyphIcons> glyphs(new (std::nothrow) GlyphIcons);
    if (!glyphs || !glyphs->Load(path, GlyphSet::Monitor)) {
        return false;
    }
    DestroyIconTable(table);
    table.side = glyphs->PictureSide();
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
    table.side = fresh.side;
    return true;
}

bool RefitIconTable(IconTable& table, TrayIcon& tray, const char* path, unsigned slot)
{
    const bool loaded = table.glyphs || std::any_of(std::begin(table.icons), std::end(table.icons),
        [](HICON icon) { return icon != nullptr; });
    return loaded && table.side != TrayPictureSide() && ReplaceGlyphFile(table, tray, path, slot);
}
