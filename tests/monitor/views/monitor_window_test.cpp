// The monitor window (dialog 103) and its transparency slider (dialog 105), in-process:
// the main window is created on simulated drives and opens the window by its command.
// Pictures: monitor_window.png, monitor_window_worst.png, monitor_window_divide4.png.
#include "app_state_win.h"
#include "ini_file.h"
#include "main_window_win.h"
#include "message_pump.h"
#include "modal_script.h"
#include "monitor_ids.h"
#include "monitor_fixture.h"
#include "monitor_session.h"
#include "monitor_size.h"
#include "monitor_window_ids.h"
#include "transparency_slider_win.h"
#include "window_helpers_win.h"
#include "window_picture.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

// Colour queries of progress bars (comctl32 6), not declared for the Windows XP target.
#ifndef PBM_GETBARCOLOR
#define PBM_GETBKCOLOR (WM_USER + 14)
#define PBM_GETBARCOLOR (WM_USER + 15)
#endif

namespace {

std::string Text(HWND window, int id)
{
    char text[128] = {};
    GetDlgItemTextA(window, id, text, sizeof text);
    return text;
}

LRESULT Bar(HWND window, int firstId, unsigned cell, UINT message, WPARAM wParam = 0)
{
    return SendDlgItemMessageA(window, firstId + static_cast<int>(cell), message, wParam, 0);
}

bool Layered(HWND window)
{
    return (GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
}

// Checks the layered window's opacity where the platform reports it.
void ExpectOpacity(HWND window, BYTE expected)
{
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(window, nullptr, &alpha, &flags))
        << "not a layered window with attributes set";
    EXPECT_EQ(alpha, expected);
    EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA));
}

// The window as it stands on the screen, once it has painted everything.
void SavePicture(HWND window, const char* path)
{
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump(200);
    EXPECT_TRUE(SaveWindowPicture(window, path));
}

// One pixel of the screen inside a control, at a fraction of its width, half-way down.
COLORREF ScreenPixel(HWND control, double across)
{
    RECT rect;
    GetWindowRect(control, &rect);
    HDC screen = GetDC(nullptr);
    const COLORREF pixel = GetPixel(screen, rect.left + static_cast<int>((rect.right - rect.left) * across),
        (rect.top + rect.bottom) / 2);
    ReleaseDC(nullptr, screen);
    return pixel;
}

class MonitorWindow : public MonitorFixture {
protected:
    MonitorWindow() : MonitorFixture("WINTEST.CFG") {}

    void SetUp() override
    {
        MonitorFixture::SetUp();
    }

    void TearDown() override
    {
        CloseSlider();
        MonitorFixture::TearDown();
    }

    // Through the tray menu's command, as the user opens it.
    HWND Open()
    {
        SendMessageA(window_, WM_COMMAND, CMD_MONITOR_WINDOW, 0);
        Pump(100);
        return app_->monitorWindow;
    }

    static void Command(HWND window, UINT id) { SendMessageA(window, WM_COMMAND, id, 0); }
};

TEST_F(MonitorWindow, CellsShowOnlyDrivesWithATemperaturePackedFromCellZero)
{
    WriteIni(kKelvixIni, "Information", "Form", "%d℃");
    Start({{0, "SIM QUIET", {}}, {1, "SIM HOT", {44}}, {3, "SIM COOL", {34}}});
    ASSERT_EQ(app_->drives.presentCount, 3u);
    HWND monitor = Open();
    ASSERT_NE(monitor, nullptr);
    EXPECT_TRUE(IsWindowVisible(monitor));
    EXPECT_EQ(GetWindow(monitor, GW_OWNER), window_);
    EXPECT_FALSE(Layered(monitor));  // Alpha 255

    const struct {
        unsigned cell;
        const char* name;
        const char* temperature;
        int position;
        COLORREF colour;
    } cells[] = {
        {0, "SIM HOT", "44℃", 44, RGB(255, 255, 0)},  // Level3
        {1, "SIM COOL", "34℃", 34, RGB(0, 0, 255)},   // Level0
        {2, "", "N/A", 20, RGB(0, 0, 255)},  // 0, held at the scale's lower end
        {15, "", "N/A", 20, RGB(0, 0, 255)},
    };
    for (const auto& c : cells) {
        SCOPED_TRACE(c.cell);
        EXPECT_EQ(Text(monitor, kNameTextId + c.cell), c.name);
        EXPECT_EQ(Text(monitor, kTemperatureTextId + c.cell), c.temperature);
        for (int bar : {kCurrentBarId, kWorstBarId}) {
            EXPECT_EQ(Bar(monitor, bar, c.cell, PBM_GETPOS), c.position);
            EXPECT_EQ(Bar(monitor, bar, c.cell, PBM_GETRANGE, TRUE), 20);
            EXPECT_EQ(Bar(monitor, bar, c.cell, PBM_GETRANGE, FALSE), 60);
            EXPECT_EQ(static_cast<COLORREF>(Bar(monitor, bar, c.cell, PBM_GETBARCOLOR)), c.colour);
            EXPECT_EQ(static_cast<COLORREF>(Bar(monitor, bar, c.cell, PBM_GETBKCOLOR)), RGB(0, 0, 0));
        }
    }
    // The full-size panel, centred (X + Y = 0).
    RECT client, frame;
    GetClientRect(monitor, &client);
    RECT units{0, 0, 438, 86};
    MapDialogRect(monitor, &units);
    EXPECT_EQ(client.right, units.right);
    EXPECT_EQ(client.bottom, units.bottom);
    GetWindowRect(monitor, &frame);
    EXPECT_EQ(frame.left, (GetSystemMetrics(SM_CXSCREEN) - (frame.right - frame.left)) / 2);
    SavePicture(monitor, "monitor_window.png");
    // Drawn in the level colours, not a theme's: 44 fills 60 % of the 20..60 scale.
    HWND hotBar = GetDlgItem(monitor, kCurrentBarId);
    EXPECT_EQ(ScreenPixel(hotBar, 0.3), RGB(255, 255, 0));
    EXPECT_EQ(ScreenPixel(hotBar, 0.9), RGB(0, 0, 0));
    EXPECT_EQ(ScreenPixel(GetDlgItem(monitor, kCurrentBarId + 1), 0.1), RGB(0, 0, 255));

    // The tray menu's command again closes it.
    SendMessageA(window_, WM_COMMAND, CMD_MONITOR_WINDOW, 0);
    Pump(100);
    EXPECT_EQ(app_->monitorWindow, nullptr);
    EXPECT_FALSE(IsWindow(monitor));
}

TEST_F(MonitorWindow, MeasurementsRefreshTheCellsExceptWhileTheMenuIsOpen)
{
    Start({{0, "SIM A", {31, 50, 36}}, {1, "SIM B", {40}}});  // enumeration 31, which the first cycle takes
    HWND monitor = Open();
    ASSERT_NE(monitor, nullptr);
    EXPECT_EQ(Text(monitor, kTemperatureTextId), "31");
    app_->monitor.menuOpen = 1;
    SendMessageA(window_, WM_COMMAND, CMD_MEASURE_NOW, 0);
    EXPECT_EQ(Text(monitor, kTemperatureTextId), "31");
    app_->monitor.menuOpen = 0;
    SendMessageA(window_, WM_COMMAND, CMD_MEASURE_NOW, 0);
    EXPECT_EQ(Text(monitor, kTemperatureTextId), "36");
    EXPECT_EQ(Bar(monitor, kCurrentBarId, 0, PBM_GETPOS), 36);
    EXPECT_EQ(Bar(monitor, kWorstBarId, 0, PBM_GETPOS), 50);
    EXPECT_EQ(static_cast<COLORREF>(Bar(monitor, kCurrentBarId, 0, PBM_GETBARCOLOR)), RGB(0, 255, 255));  // Level1
    EXPECT_EQ(static_cast<COLORREF>(Bar(monitor, kWorstBarId, 0, PBM_GETBARCOLOR)), RGB(255, 0, 0));     // Level4
    EXPECT_EQ(Text(monitor, kNameTextId + 1), "SIM B");
}

TEST_F(MonitorWindow, ProbeCountFourLeavesTheOtherCellsAsTheyWere)
{
    Start({{0, "SIM A", {41}}});
    app_->drives.probeCount = 4;
    HWND monitor = Open();
    ASSERT_NE(monitor, nullptr);
    EXPECT_EQ(Text(monitor, kTemperatureTextId + 3), "N/A");
    EXPECT_EQ(Text(monitor, kTemperatureTextId + 4), "");
    EXPECT_EQ(Bar(monitor, kCurrentBarId, 3, PBM_GETRANGE, FALSE), 60);
    EXPECT_EQ(Bar(monitor, kCurrentBarId, 4, PBM_GETRANGE, FALSE), 100);  // the control's own
    EXPECT_EQ(SendDlgItemMessageA(monitor, kTemperatureTextId + 3, WM_GETFONT, 0, 0),
        reinterpret_cast<LRESULT>(app_->monitor.temperatureFont.Handle()));
    EXPECT_NE(SendDlgItemMessageA(monitor, kTemperatureTextId + 4, WM_GETFONT, 0, 0),
        reinterpret_cast<LRESULT>(app_->monitor.temperatureFont.Handle()));
}

TEST_F(MonitorWindow, WorstModeShowsWorstValuesUntilItsTimerOrTheSecondChoice)
{
    // Long enough that the second choice comes within the period on a loaded machine.
    WriteIni(kKelvixIni, "Information", "WorstTimer", "3000");
    Start({{0, "SIM A", {45, 40}}});  // enumeration 45, which the first cycle takes
    SendMessageA(window_, WM_COMMAND, CMD_MEASURE_NOW, 0);  // 40
    HWND monitor = Open();
    ASSERT_NE(monitor, nullptr);
    EXPECT_EQ(Text(monitor, kTemperatureTextId), "40");

    Command(monitor, CMD_SHOW_WORST);
    EXPECT_EQ(app_->monitor.worstMode, 1u);
    EXPECT_EQ(app_->monitor.worstTimer, kWorstTimerId);
    EXPECT_EQ(Text(monitor, kTemperatureTextId), "45");
    SavePicture(monitor, "monitor_window_worst.png");
    Command(monitor, CMD_SHOW_WORST);  // twice within the period
    EXPECT_EQ(app_->monitor.worstMode, 0u);
    EXPECT_EQ(app_->monitor.worstTimer, 0u);
    EXPECT_EQ(Text(monitor, kTemperatureTextId), "40");
    EXPECT_FALSE(KillTimer(monitor, kWorstTimerId));  // none left running

    // Left alone, it returns to current values by itself.
    Command(monitor, CMD_SHOW_WORST);
    EXPECT_TRUE(PumpUntil([&] { return app_->monitor.worstMode == 0; }));
    EXPECT_EQ(app_->monitor.worstTimer, 0u);
    EXPECT_EQ(Text(monitor, kTemperatureTextId), "40");
    EXPECT_FALSE(KillTimer(monitor, kWorstTimerId));
}

TEST_F(MonitorWindow, WorstModeEndsOnTimeAlsoAcrossAClose)
{
    WriteIni(kKelvixIni, "Information", "WorstTimer", "600000");
    Start({{0, "SIM A", {45, 40}}});
    SendMessageA(window_, WM_COMMAND, CMD_MEASURE_NOW, 0);
    HWND monitor = Open();
    ASSERT_NE(monitor, nullptr);
    Command(monitor, CMD_SHOW_WORST);
    Command(monitor, CMD_CLOSE);
    EXPECT_EQ(app_->monitor.worstTimer, 0u);
    monitor = Open();  // within the period: still worst values, with a timer for the rest
    ASSERT_NE(monitor, nullptr);
    EXPECT_EQ(Text(monitor, kTemperatureTextId), "45");
    EXPECT_EQ(app_->monitor.worstTimer, kWorstTimerId);
    Command(monitor, CMD_CLOSE);
    // Opened again after the period has run out: current values, no timer.
    app_->monitor.worstModeEnds = GetTickCount() - 1;
    monitor = Open();
    ASSERT_NE(monitor, nullptr);
    EXPECT_EQ(app_->monitor.worstMode, 0u);
    EXPECT_EQ(app_->monitor.worstTimer, 0u);
    EXPECT_EQ(Text(monitor, kTemperatureTextId), "40");
    EXPECT_FALSE(KillTimer(monitor, kWorstTimerId));
}

TEST_F(MonitorWindow, SizeChoiceReopensTheWindowSmaller)
{
    Start({{0, "SIM A", {41}}, {1, "SIM B", {47}}, {2, "SIM C", {33}}});
    HWND monitor = Open();
    ASSERT_NE(monitor, nullptr);
    RECT full, client;
    GetWindowRect(monitor, &full);
    GetClientRect(monitor, &client);
    const WindowSize expected = ReducedWindowSize(4, full.right - full.left, full.bottom - full.top,
        client.right, client.bottom);

    Command(monitor, CMD_SIZE_FIRST + 4);  // "1/8に縮小": re-created by the main window
    Pump(200);
    EXPECT_EQ(app_->settings.Divide, 4u);
    EXPECT_FALSE(IsWindow(monitor));
    HWND smaller = app_->monitorWindow;
    ASSERT_NE(smaller, nullptr);
    RECT rect;
    GetWindowRect(smaller, &rect);
    EXPECT_EQ(rect.right - rect.left, expected.width);
    EXPECT_EQ(rect.bottom - rect.top, expected.height);
    // It was closed at its centred place, so it reopens there.
    EXPECT_EQ(rect.left, full.left);
    EXPECT_EQ(rect.top, full.top);
    EXPECT_EQ(Text(smaller, kNameTextId + 1), "SIM B");
    SavePicture(smaller, "monitor_window_divide4.png");
}

TEST_F(MonitorWindow, OpacityFollowsTheSliderAndAlpha255IsOpaque)
{
    Start({{0, "SIM A", {41}}});
    HWND monitor = Open();
    ASSERT_NE(monitor, nullptr);
    EXPECT_FALSE(Layered(monitor));
    PostMessageA(monitor, kOpacityMessage, 254, 0);
    Pump(50);
    EXPECT_EQ(app_->settings.Alpha, 254);
    EXPECT_TRUE(Layered(monitor));
    ExpectOpacity(monitor, 254);

    // The slider starts at Alpha and posts every move to the window.
    Command(monitor, CMD_TRANSPARENCY);
    HWND slider = CurrentSlider().sliderWindow;
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(GetWindow(slider, GW_OWNER), monitor);
    EXPECT_EQ(Text(slider, kSliderValueTextId), "254");
    HWND track = GetDlgItem(slider, kSliderControlId);
    EXPECT_EQ(SendMessageA(track, TBM_GETPOS, 0, 0), 254);
    EXPECT_EQ(SendMessageA(track, TBM_GETRANGEMIN, 0, 0), 25);
    EXPECT_EQ(SendMessageA(track, TBM_GETRANGEMAX, 0, 0), 255);
    SendMessageA(track, TBM_SETPOS, TRUE, 0);  // to the left end: the range's 25
    SendMessageA(slider, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, 25), reinterpret_cast<LPARAM>(track));
    EXPECT_EQ(Text(slider, kSliderValueTextId), "25");
    Pump(50);
    EXPECT_EQ(app_->settings.Alpha, 25);
    EXPECT_TRUE(Layered(monitor));
    SavePicture(slider, "transparency_slider.png");

    // A second request replaces the first window.
    Command(monitor, CMD_TRANSPARENCY);
    HWND second = CurrentSlider().sliderWindow;
    ASSERT_NE(second, nullptr);
    EXPECT_FALSE(IsWindow(slider));
    EXPECT_EQ(Text(second, kSliderValueTextId), "25");
    // Any command closes it and clears the record.
    SendMessageA(second, WM_COMMAND, IDOK, 0);
    EXPECT_FALSE(IsWindow(second));
    EXPECT_EQ(CurrentSlider().sliderWindow, nullptr);
    EXPECT_EQ(CurrentSlider().notification, 0);
    // Closing the monitor window takes an open slider along, and the record with it.
    HWND third = OpenSlider(app_->monitor.sliderRequest);
    ASSERT_NE(third, nullptr);
    Command(monitor, CMD_CLOSE);
    EXPECT_FALSE(IsWindow(third));
    EXPECT_EQ(CurrentSlider().sliderWindow, nullptr);
    monitor = Open();
    ASSERT_NE(monitor, nullptr);
    EXPECT_TRUE(Layered(monitor));  // Alpha 25 carries over

    PostMessageA(monitor, kOpacityMessage, 255, 0);
    Pump(50);
    EXPECT_FALSE(Layered(monitor));
}

TEST_F(MonitorWindow, SliderWithoutNotificationPostsNothing)
{
    Start({{0, "SIM A", {41}}});
    HWND monitor = Open();
    ASSERT_NE(monitor, nullptr);
    SliderRequest request{};
    request.instance = app_->instance;
    request.owner = monitor;
    request.dialogId = kSliderDialogId;
    request.sliderId = kSliderControlId;
    request.valueTextId = kSliderValueTextId;
    request.maximum = 0x10064;  // only the low 16 bits: 100
    request.minimum = 10;
    request.value = 50;
    HWND slider = OpenSlider(request);
    ASSERT_NE(slider, nullptr);
    HWND track = GetDlgItem(slider, kSliderControlId);
    EXPECT_EQ(SendMessageA(track, TBM_GETRANGEMAX, 0, 0), 100);
    SendMessageA(track, TBM_SETPOS, TRUE, 70);
    SendMessageA(slider, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 70), reinterpret_cast<LPARAM>(track));
    EXPECT_EQ(Text(slider, kSliderValueTextId), "70");
    EXPECT_EQ(CurrentSlider().value, 70u);
    Pump(50);
    EXPECT_EQ(app_->settings.Alpha, 255);
    EXPECT_FALSE(Layered(monitor));
    // Like a drop-down: another window taking the activation closes it.
    EXPECT_EQ(GetActiveWindow(), slider);
    SetActiveWindow(monitor);
    Pump(50);
    EXPECT_FALSE(IsWindow(slider));
    EXPECT_EQ(CurrentSlider().sliderWindow, nullptr);
}

TEST_F(MonitorWindow, CloseKeepsThePositionInMemoryAndSaveWritesIt)
{
    Start({{0, "SIM A", {41}}});
    HWND monitor = Open();
    ASSERT_NE(monitor, nullptr);
    MoveWindowTo(monitor, 100, 120);
    Command(monitor, CMD_CLOSE);
    EXPECT_EQ(app_->monitorWindow, nullptr);
    EXPECT_FALSE(IsWindow(monitor));
    EXPECT_EQ(app_->settings.X, 100);
    EXPECT_EQ(app_->settings.Y, 120);
    EXPECT_EQ(ReadIni(kKelvixIni, "Information", "X"), "");  // in memory only
    EXPECT_EQ(app_->monitor.nameBrush.Handle(), nullptr);
    EXPECT_EQ(app_->monitor.temperatureBrush.Handle(), nullptr);
    EXPECT_EQ(app_->monitor.temperatureFont.Handle(), nullptr);

    monitor = Open();
    ASSERT_NE(monitor, nullptr);
    RECT rect;
    GetWindowRect(monitor, &rect);
    EXPECT_EQ(rect.left, 100);
    EXPECT_EQ(rect.top, 120);
    // Top left, then save: (0, 0) in the file, and the next opening centres the window.
    Command(monitor, CMD_PLACE_FIRST + 1);
    Command(monitor, CMD_SAVE_SETTINGS);
    EXPECT_EQ(ReadIni(kKelvixIni, "Information", "X"), "0");
    EXPECT_EQ(ReadIni(kKelvixIni, "Information", "Y"), "0");
    Command(monitor, CMD_CLOSE);
    monitor = Open();
    ASSERT_NE(monitor, nullptr);
    GetWindowRect(monitor, &rect);
    EXPECT_EQ(rect.left, (GetSystemMetrics(SM_CXSCREEN) - (rect.right - rect.left)) / 2);
}

// Restored from an INI file written on another set of monitors, or edited by hand: the
// window comes back into the work area, and an opacity below the slider's floor counts as 25.
TEST_F(MonitorWindow, RestoredWindowComesIntoViewAndAlphaBelow25CountsAs25)
{
    WriteIni(kKelvixIni, "Information", "X", "5000");
    WriteIni(kKelvixIni, "Information", "Y", "-3000");
    WriteIni(kKelvixIni, "Information", "Alpha", "3");
    Start({{0, "SIM A", {41}}});
    HWND monitor = Open();
    ASSERT_NE(monitor, nullptr);
    RECT rect;
    GetWindowRect(monitor, &rect);
    RECT area;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0));
    EXPECT_EQ(rect.right, area.right) << "moved left just far enough";
    EXPECT_EQ(rect.top, area.top);
    EXPECT_EQ(app_->settings.Alpha, 25);
    EXPECT_TRUE(Layered(monitor));
    ExpectOpacity(monitor, 25);
    SavePicture(monitor, "monitor_window_restored.png");
}

TEST_F(MonitorWindow, MenuTogglesAndACancelledColourChangeNothing)
{
    Start({{0, "SIM A", {41}}});
    HWND monitor = Open();
    ASSERT_NE(monitor, nullptr);
    Command(monitor, CMD_FIX_POSITION);
    EXPECT_EQ(app_->settings.Stable, 1);
    Command(monitor, CMD_FIX_POSITION);
    EXPECT_EQ(app_->settings.Stable, 0);
    Command(monitor, CMD_TOP_MOST);
    EXPECT_EQ(app_->settings.TopMost, 1);
    EXPECT_TRUE(GetWindowLongPtrA(monitor, GWL_EXSTYLE) & WS_EX_TOPMOST);
    Command(monitor, CMD_TOP_MOST);
    EXPECT_EQ(app_->settings.TopMost, 0);
    // (Wine keeps an owned pop-up topmost once it was; Windows clears the flag here.)

    ModalScript script({[](HWND dialog) { ModalScript::Click(dialog, IDCANCEL); }});
    Command(monitor, CMD_NAME_BACK);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(app_->settings.ColorNameBack, RGB(0, 0, 0));
    EXPECT_NE(app_->monitor.nameBrush.Handle(), nullptr);

    const HFONT font = app_->monitor.temperatureFont.Handle();
    ModalScript fontScript({[](HWND dialog) { ModalScript::Click(dialog, IDCANCEL); }});
    Command(monitor, CMD_TEMPERATURE_FONT);
    EXPECT_TRUE(fontScript.Finished());
    EXPECT_EQ(app_->monitor.temperatureFont.Handle(), font);
    EXPECT_STREQ(app_->settings.Font.lfFaceName, "Arial");
}

// Looks at the context menu from a thread timer inside its modal loop, then ends it.
struct MenuLook {
    static inline HWND mainWindow = nullptr;
    static inline HWND monitor = nullptr;
    static inline bool seen = false;
    static inline std::uint32_t menuOpen = 0;
    static inline std::string textWhileOpen;
    static inline std::vector<std::string> items;
    static inline std::vector<UINT> states;
    static inline std::vector<UINT> types;
    static inline std::vector<int> submenuSizes;

    static void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD)
    {
        HWND menuWindow = FindWindowA("#32768", nullptr);
        if (!menuWindow || seen) return;
        KillTimer(nullptr, timer);
        seen = true;
        menuOpen = App().monitor.menuOpen;
        SendMessageA(mainWindow, WM_COMMAND, CMD_MEASURE_NOW, 0);  // a measurement meanwhile
        textWhileOpen = Text(monitor, kTemperatureTextId);
        HMENU menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            char text[64] = {};
            MENUITEMINFOA info{};
            info.cbSize = sizeof info;
            info.fMask = MIIM_STRING | MIIM_STATE | MIIM_FTYPE | MIIM_SUBMENU | MIIM_ID;
            info.dwTypeData = text;
            info.cch = sizeof text;
            GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
            items.push_back(text);
            states.push_back(info.fState & MFS_CHECKED);
            types.push_back(info.fType & (MFT_MENUBARBREAK | MFT_SEPARATOR));
            submenuSizes.push_back(info.hSubMenu ? GetMenuItemCount(info.hSubMenu) : -1);
        }
        EndMenu();
    }
};

TEST_F(MonitorWindow, ContextMenuInTwoColumnsHoldsBackTheRefresh)
{
    WriteIni(kKelvixIni, "Information", "Stable", "1");
    Start({{0, "SIM A", {39, 41, 44}}});  // enumeration 39, which the first cycle takes
    HWND monitor = Open();
    ASSERT_NE(monitor, nullptr);
    MenuLook::mainWindow = window_;
    MenuLook::monitor = monitor;
    SetTimer(nullptr, 0, 50, MenuLook::Tick);
    SendMessageA(monitor, WM_RBUTTONUP, 0, MAKELPARAM(10, 10));
    ASSERT_TRUE(MenuLook::seen);
    EXPECT_EQ(MenuLook::menuOpen, 1u);
    EXPECT_EQ(app_->monitor.menuOpen, 0u);
    EXPECT_EQ(MenuLook::textWhileOpen, "39");
    SendMessageA(window_, WM_COMMAND, CMD_MEASURE_NOW, 0);  // the next one shows
    EXPECT_EQ(Text(monitor, kTemperatureTextId), "44");

    const std::vector<std::string> texts = {"最大温度の表示", "温度の履歴", "", "位置を固定", "前面に表示", "設定を保存", "",
        "閉じる", "画面サイズ", "位置を移動", "デバイス名の色", "温度値の色", "グラフの色", "透明度",
        "温度のフォント"};
    EXPECT_EQ(MenuLook::items, texts);
    ASSERT_EQ(MenuLook::states.size(), texts.size());
    EXPECT_EQ(MenuLook::states[0], 0u);                      // worst mode off
    EXPECT_EQ(MenuLook::states[1], 0u);                      // no history window open
    EXPECT_EQ(MenuLook::states[3], static_cast<UINT>(MFS_CHECKED));  // Stable 1
    EXPECT_EQ(MenuLook::states[4], 0u);
    EXPECT_EQ(MenuLook::types[2], static_cast<UINT>(MFT_SEPARATOR));
    EXPECT_EQ(MenuLook::types[8], static_cast<UINT>(MFT_MENUBARBREAK));  // the second column
    EXPECT_EQ(MenuLook::types[9], 0u);
    const std::vector<int> submenus = {-1, -1, -1, -1, -1, -1, -1, -1, 6, 5, 2, 3, 6, -1, -1};
    EXPECT_EQ(MenuLook::submenuSizes, submenus);
}

}  // namespace
