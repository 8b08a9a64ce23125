// IconTable: the 203 finished tray pictures composed from a glyph file. Slots 0-99 are
// temperatures in normal colours, 100-199 in warning colours, 200 no temperature,
// 201 measurement stopped, 202 the fixed icon. The monitor composes each picture when it
// is first shown (composing all of them took most of its start-up under Wine).
#pragma once

#include "glyphs_win.h"
#include "tray_slot.h"

#include <windows.h>

#include <memory>

class TrayIcon;

struct IconTable {
    HICON icons[kIconTableSize] = {};
    // The glyphs, kept after LoadIconTable for the pictures not composed yet.
    std::unique_ptr<GlyphIcons> glyphs;
    // The side the pictures are made at: the small-icon size of the display at loading.
    int side = 16;

    IconTable() = default;
    IconTable(const IconTable&) = delete;
    IconTable& operator=(const IconTable&) = delete;
    ~IconTable();
};

// Fills the table from the glyph file at path; false (table unchanged) when the file
// cannot be loaded, lacks one of the 44 glyphs, or a picture cannot be made.
bool ComposeIconTable(IconTable& table, const char* path);

// Loads and checks the glyph file as ComposeIconTable does and keeps the glyphs; the
// pictures are composed by ReadyTraySlot. False (table unchanged) when the file cannot be
// loaded or lacks one of the 44 glyphs.
bool LoadIconTable(IconTable& table, const char* path);

// Before the tray shows `slot`: composes its picture if the table lacks it and puts it
// into the tray's slot (unowned). Slots outside the table are left alone.
void ReadyTraySlot(IconTable& table, TrayIcon& tray, unsigned slot);

// After a display change: when the small-icon size is no longer the one the pictures were
// made at, composes the table anew at the new size as ReplaceGlyphFile does. A table not
// loaded (before start-up, after shut-down) stays empty. True when the pictures were remade.
bool RefitIconTable(IconTable& table, TrayIcon& tray, const char* path, unsigned slot);

// Destroys the 203 icons, in slot order, and the kept glyphs.
void DestroyIconTable(IconTable& table);

// Hands the table's icons to the tray icon's slots 0 to 202 (unowned).
void PutIconTableIntoTray(const IconTable& table, TrayIcon& tray);

// A new glyph file: composes a new table and, only when that works, puts it into the
// tray, shows `slot` and destroys the old pictures. On failure nothing changes.
bool ReplaceGlyphFile(IconTable& table, TrayIcon& tray, const char* path, unsigned slot);
