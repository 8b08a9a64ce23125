// The monitor window's context menu, in two columns, and what its commands do.
#include "monitor_window_win.h"

#include "app_state.h"
#include "monitor_ids.h"
#include "monitor_views.h"
#include "monitor_window_ids.h"
#include "window_helpers.h"

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
        AppendMenuA(submenu, MF_STRING, item.id, item.text);
    }
    AppendMenuA(menu, MF_POPUP | flags, reinterpret_cast<UINT_PTR>(submenu), text);
}

HMENU BuildMenu()
{
    const AppState& app = App();
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING | Checked(app.monitor.worstMode != 0), CMD_SHOW_WORST, "最大温度の表示");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING | Checked(app.settings.Stable != 0), CMD_FIX_POSITION, "位置を固定");
    AppendMenuA(menu, MF_STRING | Checked(app.settings.TopMost != 0), CMD_TOP_MOST, "前面に表示");
    AppendMenuA(menu, MF_STRING, CMD_SAVE_SETTINGS, "設定を保存");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, CMD_CLOSE, "閉じる");
    // The second column.
    AppendSubmenu(menu, MF_MENUBARBREAK, "画面サイズ", kSizeItems);
    AppendSubmenu(menu, 0, "位置を移動", kPlaceItems);
    AppendSubmenu(menu, 0, "デバイス名の色", kNameColourItems);
    AppendSubmenu(menu, 0, "温度値の色", kTempColourItems);
    AppendSubmenu(menu, 0, "グラフの色", kGraphColourItems);
    AppendMenuA(menu, MF_STRING, CMD_TRANSPARENCY, "透明度");
    AppendMenuA(menu, MF_STRING, CMD_TEMPERATURE_FONT, "温度のフォント");
    return menu;
}

// The colour a colour command edits, or null.
COLORREF* CommandColour(Settings& settings, UINT command)
{
    switch (command) {
    case CMD_NAME_BACK: return &settings.ColorNameBack;
    case CMD_NAME_FRONT: return &settings.ColorNameFront;
    case CMD_TEMP_BACK: return &settings.ColorTempBack;
    case CMD_TEMP_CURRENT: return &settings.ColorTempCurrent;
    case CMD_TEMP_MAXIMUM: return &settings.ColorTempMaximum;
    case CMD_GRAPH_BACK: return &settings.ColorGrphBack;
    default:
        if (command >= CMD_GRAPH_LEVEL_FIRST && command <= CMD_GRAPH_LEVEL_LAST) {
            return &settings.ColorGrphLevel[command - CMD_GRAPH_LEVEL_FIRST];
        }
        return nullptr;
    }
}

void PickCommandColour(HWND window, COLORREF& colour, UINT command)
{
    AppState& app = App();
    colour = PickColor(window, colour);
    if (command == CMD_NAME_BACK) {
        app.monitor.nameBrush.CreateSolid(app.settings.ColorNameBack);
    } else if (command == CMD_TEMP_BACK) {
        app.monitor.temperatureBrush.CreateSolid(app.settings.ColorTempBack);
    }
    RefreshMonitorWindow(window);
    InvalidateRect(window, nullptr, TRUE);  // the text colours of unchanged texts too
}

void OpenTransparencySlider(HWND window)
{
    AppState& app = App();
    SliderRequest& request = app.monitor.sliderRequest;
    request = SliderRequest{};
    request.instance = app.instance;
    request.owner = window;
    request.dialogId = kSliderDialogId;
    request.sliderId = kSliderControlId;
    request.valueTextId = kSliderValueTextId;
    request.notification = static_cast<std::uint16_t>(kOpacityMessage);
    request.maximum = 255;
    request.minimum = 25;
    request.value = app.settings.Alpha;
    OpenSlider(request);
}

void PickTemperatureFont(HWND window)
{
    AppState& app = App();
    LOGFONTA font = app.settings.Font;
    if (!PickFont(window, &font)) {
        return;
    }
    app.settings.Font = font;
    ApplyTemperatureFont(window);
    RefreshMonitorWindow(window);
}

}  // namespace

void ShowMonitorMenu(HWND window)
{
    MonitorWindowState& state = App().monitor;
    state.menuOpen = 1;
    HMENU menu = BuildMenu();
    ForceForeground(window);
    POINT cursor{};
    GetCursorPos(&cursor);
    TrackPopupMenu(menu, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, window, nullptr);
    DestroyMenu(menu);  // and its submenus
    state.menuOpen = 0;
}

void HandleMonitorCommand(HWND window, UINT command)
{
    AppState& app = App();
    Settings& settings = app.settings;
    if (command >= CMD_SIZE_FIRST && command <= CMD_SIZE_LAST) {
        settings.Divide = command - CMD_SIZE_FIRST;
        PostMessageA(GetWindow(window, GW_OWNER), WM_COMMAND, CMD_MONITOR_REOPEN, 0);
        return;
    }
    if (command >= CMD_PLACE_FIRST && command <= CMD_PLACE_LAST) {
        PlaceWindow(window, static_cast<int>(command - CMD_PLACE_FIRST));
        return;
    }
    if (COLORREF* colour = CommandColour(settings, command)) {
        PickCommandColour(window, *colour, command);
        return;
    }
    switch (command) {
    case CMD_SHOW_WORST:
        SetWorstMode(window, app.monitor.worstMode == 0);
        break;
    case CMD_FIX_POSITION:
        settings.Stable = settings.Stable != 0 ? 0 : 1;
        break;
    case CMD_TOP_MOST:
        settings.TopMost = settings.TopMost != 0 ? 0 : 1;
        SetTopMost(window, settings.TopMost != 0);
        break;
    case CMD_SAVE_SETTINGS: {
        RECT rect;
        if (GetWindowRect(window, &rect)) {
            settings.X = rect.left;
            settings.Y = rect.top;
        }
        SaveSettings(settings);
        break;
    }
    case CMD_CLOSE:
        CloseMonitorWindow(window);
        break;
    case CMD_TRANSPARENCY:
        OpenTransparencySlider(window);
        break;
    case CMD_TEMPERATURE_FONT:
        PickTemperatureFont(window);
        break;
    default:
        break;
    }
}
