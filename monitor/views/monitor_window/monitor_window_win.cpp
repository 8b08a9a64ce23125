// The monitor window: a caption-less panel of 16 cells (dialog 103), one per drive with a
// temperature, refreshed by the main window after every measurement.
#include "monitor_views.h"

#include "common_controls_win.h"
#include "monitor_window_menu_win.h"

#include "loaded_library.h"
#include "program_state_win.h"
#include "monitor_cells.h"
#include "monitor_ids.h"
#include "monitor_size.h"
#include "monitor_window_ids.h"
#include "name_tips_win.h"
#include "transparency_slider_win.h"
#include "wide_text_win.h"
#include "window_helpers_win.h"

#include <commctrl.h>

#include <cstdint>
#include <string>

namespace {

constexpr BYTE kMinimumAlpha = 25;  // the transparency slider's floor

// Pieces used by the dialog procedure and the menu commands alike.
void ApplyTransparency(HWND window);
void ApplyTemperatureFont(HWND window);
void SetWorstMode(HWND window, bool on);
void CloseMonitorWindow(HWND window);
void HandleMonitorCommand(HWND window, UINT command);

using SetLayeredWindowAttributesCall = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
using SetWindowThemeCall = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);

unsigned WrittenCells()
{
    return WrittenCellCount(Program().drives);
}

HWND Control(HWND window, int firstId, unsigned cell)
{
    return GetDlgItem(window, firstId + static_cast<int>(cell));
}

void SetBar(HWND bar, std::uint8_t value, std::uint8_t level)
{
    const Settings& settings = Program().settings;
    SendMessageA(bar, PBM_SETBKCOLOR, 0, static_cast<LPARAM>(settings.ColorGrphBack));
    SendMessageA(bar, PBM_SETBARCOLOR, 0, static_cast<LPARAM>(settings.ColorGrphLevel[level]));
    SendMessageA(bar, PBM_SETPOS, value, 0);
}

// Visual styles draw every progress bar in the theme's colour; the bars here carry their
// meaning in their colour, so they are drawn the classic way where themes exist.
void UseClassicBars(HWND window)
{
    const LoadedLibrary uxtheme("UXTHEME.DLL");
    const auto setWindowTheme = uxtheme.Find<SetWindowThemeCall>("SetWindowTheme");
    if (!setWindowTheme) {
        return;
    }
    for (unsigned cell = 0; cell < kMonitorCells; ++cell) {
        setWindowTheme(Control(window, kCurrentBarId, cell), L" ", L" ");
        setWindowTheme(Control(window, kWorstBarId, cell), L" ", L" ");
    }
}

void ApplyReducedSize(HWND window)
{
    RECT windowRect, clientRect;
    if (!GetWindowRect(window, &windowRect) || !GetClientRect(window, &clientRect)) {
        return;
    }
    const WindowSize size = ReducedWindowSize(Program().settings.Divide, windowRect.right - windowRect.left,
        windowRect.bottom - windowRect.top, clientRect.right - clientRect.left, clientRect.bottom - clientRect.top);
    SetWindowPos(window, nullptr, 0, 0, size.width, size.height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Worst mode outlives a closed window: a window opened again in time shows worst values
// for the rest of the period, one opened later shows current values.
void ResumeWorstMode(HWND window)
{
    MonitorWindowState& state = Program().monitor;
    state.worstTimer = 0;
    if (state.worstMode == 0) {
        return;
    }
    const auto remaining = static_cast<std::int32_t>(state.worstModeEnds - GetTickCount());
    if (remaining > 0) {
        state.worstTimer = SetTimer(window, kWorstTimerId, static_cast<UINT>(remaining), nullptr);
    }
    if (state.worstTimer == 0) {
        state.worstMode = 0;
    }
}

void OpenSequence(HWND window)
{
    ProgramState& app = Program();
    const Settings& settings = app.settings;
    // A hand-edited or old INI file may hold less than the slider allows: nearly invisible.
    if (app.settings.Alpha < kMinimumAlpha) {
        app.settings.Alpha = kMinimumAlpha;
    }
    ApplyTransparency(window);
    if (settings.Divide != 0) {
        ApplyReducedSize(window);
    }
    // In 64 bits: two large coordinates must not overflow into a "centred" zero.
    if (static_cast<std::int64_t>(settings.X) + settings.Y != 0) {
        MoveWindowTo(window, settings.X, settings.Y);
        KeepOnNearestWorkArea(window);
    } else {
        PlaceWindow(window, PLACE_CENTRE);
    }
    UseClassicBars(window);
    app.monitor.nameTips = CreateNameTips(window, kNameTextId, kMonitorCells);
    const LPARAM range = MAKELPARAM(LOWORD(settings.InformationMinimum), LOWORD(settings.InformationMaximum));
    for (unsigned cell = 0; cell < WrittenCells(); ++cell) {
        SendMessageA(Control(window, kCurrentBarId, cell), PBM_SETRANGE, 0, range);
        SendMessageA(Control(window, kWorstBarId, cell), PBM_SETRANGE, 0, range);
    }
    app.monitor.nameBrush.CreateSolid(settings.ColorNameBack);
    ApplyTemperatureFont(window);
    app.monitor.temperatureBrush.CreateSolid(settings.ColorTempBack);
    ResumeWorstMode(window);
    RefreshMonitorWindow(window);
    SetTopMost(window, settings.TopMost != 0);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
}

INT_PTR TextColours(HDC dc, HWND control)
{
    const ProgramState& app = Program();
    const Settings& settings = app.settings;
    const int id = GetDlgCtrlID(control);
    const int cells = static_cast<int>(WrittenCells());
    const GDIBRUSH* brush = nullptr;
    if (id >= kNameTextId && id < kNameTextId + cells) {
        SetBkColor(dc, settings.ColorNameBack);
        SetTextColor(dc, settings.ColorNameFront);
        brush = &app.monitor.nameBrush;
    } else if (id >= kTemperatureTextId && id < kTemperatureTextId + cells) {
        SetBkColor(dc, settings.ColorTempBack);
        SetTextColor(dc, app.monitor.worstMode ? settings.ColorTempMaximum : settings.ColorTempCurrent);
        brush = &app.monitor.temperatureBrush;
    }
    return brush ? reinterpret_cast<INT_PTR>(brush->Handle()) : 0;
}

void WorstTimerFired(HWND window, UINT_PTR timer)
{
    MonitorWindowState& state = Program().monitor;
    if (state.worstTimer == 0 || timer != state.worstTimer) {
        return;
    }
    state.worstMode = 0;
    RefreshMonitorWindow(window);
    KillTimer(window, state.worstTimer);
    state.worstTimer = 0;
}

INT_PTR CALLBACK MonitorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OpenSequence(window);
        return FALSE;
    case WM_COMMAND:
        HandleMonitorCommand(window, LOWORD(wParam));
        return TRUE;
    case WM_TIMER:
        WorstTimerFired(window, wParam);
        return TRUE;
    case WM_CTLCOLORSTATIC:
        return TextColours(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_LBUTTONDOWN:
        if (Program().settings.Stable == 0) {
            ReleaseCapture();
            SendMessageA(window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
        }
        return TRUE;
    case WM_RBUTTONUP:
        ShowMonitorMenu(window);
        PostMessageA(window, WM_NULL, 0, 0);
        return TRUE;
    case kOpacityMessage:
        Program().settings.Alpha = static_cast<BYTE>(wParam);
        ApplyTransparency(window);
        return TRUE;
    case WM_DESTROY:
        // Also when the main window goes first and takes its owned windows along.
        if (Program().monitorWindow == window) {
            Program().monitorWindow = nullptr;
            Program().monitor.nameTips = nullptr;
        }
        return FALSE;
    default:
        return FALSE;
    }
}


void ApplyTransparency(HWND window)
{
    const LoadedLibrary user32("USER32.DLL");
    const auto setLayered = user32.Find<SetLayeredWindowAttributesCall>("SetLayeredWindowAttributes");
    if (!setLayered) {
        return;
    }
    const BYTE alpha = Program().settings.Alpha;
    const LONG_PTR style = GetWindowLongPtrA(window, GWL_EXSTYLE);
    if (alpha == 255) {
        SetWindowLongPtrA(window, GWL_EXSTYLE, style & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
    } else {
        SetWindowLongPtrA(window, GWL_EXSTYLE, style | WS_EX_LAYERED);
        setLayered(window, 0, alpha, LWA_ALPHA);
    }
}

void ApplyTemperatureFont(HWND window)
{
    ProgramState& app = Program();
    GDIFONT& font = app.monitor.temperatureFont;
    const bool made = font.Create(app.settings.Font) != FALSE;
    // Without a font of its own a cell goes back to the dialog's: the old handle is gone.
    const HFONT dialogFont = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
    for (unsigned cell = 0; cell < WrittenCells(); ++cell) {
        const int id = kTemperatureTextId + static_cast<int>(cell);
        if (made) {
            font.Apply(window, id);
        } else {
            SendDlgItemMessageA(window, id, WM_SETFONT, reinterpret_cast<WPARAM>(dialogFont), FALSE);
        }
    }
}

void SetWorstMode(HWND window, bool on)
{
    MonitorWindowState& state = Program().monitor;
    state.worstMode = on ? 1 : 0;
    RefreshMonitorWindow(window);
    if (state.worstTimer != 0) {
        KillTimer(window, state.worstTimer);
        state.worstTimer = 0;
    }
    if (on) {
        const UINT period = Program().settings.WorstTimer;
        state.worstModeEnds = GetTickCount() + period;
        state.worstTimer = SetTimer(window, kWorstTimerId, period, nullptr);
    }
}

void CloseMonitorWindow(HWND window)
{
    ProgramState& app = Program();
    RECT rect;
    if (GetWindowRect(window, &rect)) {
        app.settings.X = rect.left;
        app.settings.Y = rect.top;
    }
    if (app.monitor.worstTimer != 0) {
        KillTimer(window, app.monitor.worstTimer);  // worst mode itself runs on (ResumeWorstMode)
        app.monitor.worstTimer = 0;
    }
    app.monitor.temperatureFont.Delete();
    app.monitor.nameBrush.Delete();
    app.monitor.temperatureBrush.Delete();
    app.monitorWindow = nullptr;
    app.monitor.nameTips = nullptr;  // it goes with the window
    DestroyWindow(window);
}

// The context menu's commands (and 32799 from the main window).
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
    ProgramState& app = Program();
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
    ProgramState& app = Program();
    SliderRequest& request = app.monitor.sliderRequest;
    request = SliderRequest{};
    request.instance = app.instance;
    request.owner = window;
    request.dialogId = kSliderDialogId;
    request.sliderId = kSliderControlId;
    request.valueTextId = kSliderValueTextId;
    request.notification = static_cast<std::uint16_t>(kOpacityMessage);
    request.maximum = 255;
    request.minimum = kMinimumAlpha;
    request.value = app.settings.Alpha;
    OpenSlider(request);
}

void PickTemperatureFont(HWND window)
{
    ProgramState& app = Program();
    LOGFONTA font = app.settings.Font;
    if (!PickFont(window, &font)) {
        return;
    }
    app.settings.Font = font;
    ApplyTemperatureFont(window);
    RefreshMonitorWindow(window);
}

void HandleMonitorCommand(HWND window, UINT command)
{
    ProgramState& app = Program();
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
    case CMD_HISTORY_WINDOW:  // the main window opens and closes it, as from the tray
        PostMessageA(GetWindow(window, GW_OWNER), WM_COMMAND, CMD_HISTORY_WINDOW, 0);
        break;
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

}  // namespace

HWND OpenMonitorWindow(HWND owner)
{
    ReadyCommonControls();
    return CreateDialogParamW(Program().instance, MAKEINTRESOURCEW(kMonitorDialogId), owner, MonitorWindowProc, 0);
}

void RefreshMonitorWindow(HWND window)
{
    const ProgramState& app = Program();
    if (window == nullptr || app.monitor.menuOpen != 0) {
        return;
    }
    std::uint8_t health[kMaxDrives] = {};
    DriveVerdict verdicts[kMaxDrives];
    for (unsigned i = 0; i < kMaxDrives; ++i) {
        verdicts[i] = app.judge.Verdict(i);
        health[i] = static_cast<std::uint8_t>(verdicts[i].health);
    }
    const MonitorCellPlan plan =
        PlanMonitorCells(app.drives, app.settings, app.monitor.worstMode != 0, health, verdicts);
    for (unsigned cell = 0; cell < plan.writtenCells; ++cell) {
        const MonitorCell& shown = plan.cells[cell];
        // A name longer than its cell ends in "..." there (the control's style), whole in its tip.
        const std::wstring name = WideFromCp932(shown.name);
        SetDlgItemTextW(window, kNameTextId + static_cast<int>(cell), name.c_str());
        SetNameTip(app.monitor.nameTips, window, cell, name.c_str());
        SetDlgItemTextCp932(window, kTemperatureTextId + static_cast<int>(cell), shown.temperatureText);
        SetBar(Control(window, kCurrentBarId, cell), shown.currentBar, shown.currentLevel);
        SetBar(Control(window, kWorstBarId, cell), shown.worstBar, shown.worstLevel);
    }
}
