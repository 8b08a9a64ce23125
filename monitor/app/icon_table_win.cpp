#include "icon_table.h"

#include "glyphs.h"
#include "tray_icon.h"

#include <algorithm>
#include <iterator>

IconTable::~IconTable()
{
    DestroyIconTable(*this);
}

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

void DestroyIconTable(IconTable& table)
{
    for (HICON& icon : table.icons) {
        if (icon) {
            DestroyIcon(icon);
            icon = nullptr;
        }
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
