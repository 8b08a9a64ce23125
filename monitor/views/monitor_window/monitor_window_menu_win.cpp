// The monitor window's context menu, in two columns. Its commands go to the window.
#include "monitor_window_menu_win.h"

#include "program_state_win.h"
#include "monitor_ids.h"
#include "monitor_window_ids.h"
#include "wide_text_win.h"
#include "window_helpers_win.h"

namespace {

struct MenuItem {
    UINT id;
    const char* text;
};

const MenuItem kSizeItems[] = {
    {32816, "元の大きさ"}, {32817, "3/4に縮小"}, {32818, "1/2に縮小"},
    {32819, "1/4に縮小"}, {32820, "1/8に縮小"}, {32821, "1/16に縮小"},
};
const MenuItem kPlaceItems[] = {
    {32832, "画面の中央"}, {32833, "画面の左上"}, {32834, "画面の左下"}, {32835, "画面の右上"}, {32836, "画面の右下"},
};
const MenuItem kNameColourItems[] = {{CMD_NAME_BACK, "背景色"}, {CMD_NAME_FRONT, "文字色"}};
const MenuItem kTempColourItems[] = {
    {CMD_TEMP_BACK, "背景色"}, {CMD_TEMP_CURRENT, "現在の温度"}, {CMD_TEMP_MAXIMUM, "最大の温度"},
};
const MenuItem kGraphColourItems[] = {
    {CMD_GRAPH_BACK, "背景色"}, {32881, "Level0"}, {32882, "Level1"}, {32883, "Level2"}, {32884, "Level3"},
    {32885, "Level4"},
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
        AppendMenuCp932(submenu, MF_STRING, item.id, item.text);
    }
    AppendMenuCp932(menu, MF_POPUP | flags, reinterpret_cast<UINT_PTR>(submenu), text);
}

HMENU BuildMenu()
{
    const ProgramState& app = Program();
    HMENU menu = CreatePopupMenu();
    AppendMenuCp932(menu, MF_STRING | Checked(app.monitor.worstMode != 0), CMD_SHOW_WORST, "最大温度の表示");
    AppendMenuCp932(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuCp932(menu, MF_STRING | Checked(app.settings.Stable != 0), CMD_FIX_POSITION, "位置を固定");
    AppendMenuCp932(menu, MF_STRING | Checked(app.settings.TopMost != 0), CMD_TOP_MOST, "前面に表示");
    AppendMenuCp932(menu, MF_STRING, CMD_SAVE_SETTINGS, "設定を保存");
    AppendMenuCp932(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuCp932(menu, MF_STRING, CMD_CLOSE, "閉じる");
    // The second column.
    AppendSubmenu(menu, MF_MENUBARBREAK, "画面サイズ", kSizeItems);
    AppendSubmenu(menu, 0, "位置を移動", kPlaceItems);
    AppendSubmenu(menu, 0, "デバイス名の色", kNameColourItems);
    AppendSubmenu(menu, 0, "温度値の色", kTempColourItems);
    AppendSubmenu(menu, 0, "グラフの色", kGraphColourItems);
    AppendMenuCp932(menu, MF_STRING, CMD_TRANSPARENCY, "透明度");
    AppendMenuCp932(menu, MF_STRING, CMD_TEMPERATURE_FONT, "温度のフォント");
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
