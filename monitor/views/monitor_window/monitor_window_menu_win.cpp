// The monitor window's context menu, in two columns. Its commands go to the window.
#include "monitor_window_menu_win.h"

#include "kelvix_texts.h"
#include "program_state_win.h"
#include "monitor_ids.h"
#include "monitor_window_ids.h"
#include "wide_text_win.h"
#include "window_helpers_win.h"

namespace {

struct MenuItem {
    UINT id;
    KelvixText text;
};

const MenuItem kSizeItems[] = {
    {32816, KelvixText::MenuSizeFull}, {32817, KelvixText::MenuSizeThreeQuarters}, {32818, KelvixText::MenuSizeHalf},
    {32819, KelvixText::MenuSizeQuarter}, {32820, KelvixText::MenuSizeEighth}, {32821, KelvixText::MenuSizeSixteenth},
};
const MenuItem kPlaceItems[] = {
    {32832, KelvixText::MenuPlaceCentre}, {32833, KelvixText::MenuPlaceTopLeft}, {32834, KelvixText::MenuPlaceBottomLeft},
    {32835, KelvixText::MenuPlaceTopRight}, {32836, KelvixText::MenuPlaceBottomRight},
};
const MenuItem kNameColourItems[] = {{CMD_NAME_BACK, KelvixText::MenuBackground}, {CMD_NAME_FRONT, KelvixText::MenuTextColour}};
const MenuItem kTempColourItems[] = {
    {CMD_TEMP_BACK, KelvixText::MenuBackground}, {CMD_TEMP_CURRENT, KelvixText::MenuCurrentTemperature},
    {CMD_TEMP_MAXIMUM, KelvixText::MenuMaximumTemperature},
};
const MenuItem kGraphColourItems[] = {
    {CMD_GRAPH_BACK, KelvixText::MenuBackground}, {32881, KelvixText::MenuLevel0}, {32882, KelvixText::MenuLevel1},
    {32883, KelvixText::MenuLevel2}, {32884, KelvixText::MenuLevel3}, {32885, KelvixText::MenuLevel4},
};

UINT Checked(bool on)
{
    return on ? MF_CHECKED : MF_UNCHECKED;
}

template <std::size_t N>
void AppendSubmenu(HMENU menu, UINT flags, const char* text, const MenuItem (&items)[N])
{
    HMENU submenu = CreatePopupMenu();
    for (const MenuItem& item : items) {
        AppendMenuCp932(submenu, MF_STRING, item.id, Text(item.text));
    }
    AppendMenuCp932(menu, MF_POPUP | flags, reinterpret_cast<UINT_PTR>(submenu), text);
}

HMENU BuildMenu()
{
    const ProgramState& app = Program();
    HMENU menu = CreatePopupMenu();
    AppendMenuCp932(menu, MF_STRING | Checked(app.monitor.worstMode != 0), CMD_SHOW_WORST, Text(KelvixText::MenuShowWorst));
    AppendMenuCp932(menu, MF_STRING | Checked(app.historyWindow != nullptr), CMD_HISTORY_WINDOW, Text(KelvixText::MenuHistoryWindow));
    AppendMenuCp932(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuCp932(menu, MF_STRING | Checked(app.settings.Stable != 0), CMD_FIX_POSITION, Text(KelvixText::MenuFixPosition));
    AppendMenuCp932(menu, MF_STRING | Checked(app.settings.TopMost != 0), CMD_TOP_MOST, Text(KelvixText::MenuTopMost));
    AppendMenuCp932(menu, MF_STRING, CMD_SAVE_SETTINGS, Text(KelvixText::MenuSaveSettings));
    AppendMenuCp932(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuCp932(menu, MF_STRING, CMD_CLOSE, Text(KelvixText::MenuClose));
    // The second column.
    AppendSubmenu(menu, MF_MENUBARBREAK, Text(KelvixText::MenuSize), kSizeItems);
    AppendSubmenu(menu, 0, Text(KelvixText::MenuPlace), kPlaceItems);
    AppendSubmenu(menu, 0, Text(KelvixText::MenuNameColour), kNameColourItems);
    AppendSubmenu(menu, 0, Text(KelvixText::MenuTemperatureColour), kTempColourItems);
    AppendSubmenu(menu, 0, Text(KelvixText::MenuGraphColour), kGraphColourItems);
    AppendMenuCp932(menu, MF_STRING, CMD_TRANSPARENCY, Text(KelvixText::MenuTransparency));
    AppendMenuCp932(menu, MF_STRING, CMD_TEMPERATURE_FONT, Text(KelvixText::MenuTemperatureFont));
    return menu;
}

}  // namespace

void ShowMonitorMenu(HWND window)
{
    MonitorWindowState& state = Program().monitor;
    state.menuOpen = 1;
    HMENU menu = BuildMenu();
    ForceForeground(window);
    POINT cursor{};
    GetCursorPos(&cursor);
    TrackPopupMenu(menu, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, window, nullptr);
    DestroyMenu(menu);  // and its submenus
    state.menuOpen = 0;
}
