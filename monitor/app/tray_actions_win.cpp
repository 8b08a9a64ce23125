#include "tray_actions_win.h"

#include "app_state_win.h"
#include "balloon_text.h"
#include "clipboard_text.h"
#include "drive_readings.h"
#include "health_balloon_text.h"
#include "warning_alerts.h"
#include "kelvix_texts.h"
#include "monitor_ids.h"
#include "start_with_windows_win.h"
#include "tray_picture_win.h"
#include "wide_text_win.h"
#include "window_helpers_win.h"

#include <cstring>
#include <string>

namespace {

void ShowBalloon(HWND window, const BalloonContent& content)
{
    if (content.Empty()) {
        return;
    }
    AppState& app = App();
    app.trayIcon.SetBalloonTitle(content.title.c_str(), content.iconFlags);
    app.trayIcon.SetBalloonText(content.text.c_str(), kBalloonTimeoutMs);
    ForceForeground(window);
    const unsigned slot = CurrentTraySlot();
    ReadyTraySlot(app.iconTable, app.trayIcon, slot);
    app.trayIcon.ShowBalloon(slot);
}

void StartClickTimer(HWND window)
{
    AppState& app = App();
    if (app.clickTimer != 0) {
        return;
    }
    app.clickTimer = SetTimer(window, kClickTimerId, GetDoubleClickTime(), nullptr);
    if (app.clickTimer == 0) {
        InfoBalloon(window);
    }
}

void ToggleMeasuring(HWND window)
{
    AppState& app = App();
    if (app.clickTimer != 0 && KillTimer(window, app.clickTimer)) {
        app.clickTimer = 0;
    }
    PostMessageA(window, WM_COMMAND, app.Measuring() ? CMD_MEASURE_STOP : CMD_MEASURE_RESUME, 0);
}

void RightClick(HWND window)
{
    AppState& app = App();
    ForceForeground(GetDesktopWindow());
    if (app.aboutDialog) {
        ForceForeground(app.aboutDialog);
    } else if (app.settingsDialog) {
        ForceForeground(app.settingsDialog);
    } else {
        RunTrayMenu(window);
    }
    PostMessageA(window, WM_NULL, 0, 0);
}

// A movable block holding `size` bytes from `data`, zero beyond them; null when none.
HGLOBAL ClipboardBlock(const void* data, std::size_t size, std::size_t blockSize)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, blockSize);
    if (block) {
        if (void* bytes = GlobalLock(block)) {
            std::memcpy(bytes, data, size);
            GlobalUnlock(block);
        }
    }
    return block;
}

// The clipboard owns a block only once it took it.
void PutOnClipboard(UINT format, HGLOBAL block)
{
    if (block && !SetClipboardData(format, block)) {
        GlobalFree(block);
    }
}

}  // namespace

void HandleTrayCallback(HWND window, LPARAM mouseMessage)
{
    switch (static_cast<UINT>(mouseMessage)) {
    case WM_LBUTTONDOWN:
        StartClickTimer(window);
        break;
    case WM_LBUTTONDBLCLK:
        ToggleMeasuring(window);
        break;
    case WM_RBUTTONDOWN:
        RightClick(window);
        break;
    default:
        break;
    }
}

void InfoBalloon(HWND window)
{
    const AppState& app = App();
    const DriveReadings readings = CollectReadings(app.drives, app.judge);
    ShowBalloon(window, InfoBalloonContent(readings, app.Measuring(), app.settings.TimerCurrent));
}

void WarningBalloon(HWND window)
{
    AppState& app = App();
    if (app.settings.UseBalloon == 0) {
        app.warnings.Reset();
        return;
    }
    const DriveReadings readings = CollectReadings(app.drives, app.judge);
    const WarningLimits limits = WarningLimitsOf(app.settings);
    const WarningAlert alert = app.warnings.Update(readings, limits, GetTickCount(), app.settings.Reminder);
    if (alert == WarningAlert::None) {
        return;
    }
    ShowBalloon(window,
        WarningBalloonContent(readings, app.settings.UseBalloon, limits, alert == WarningAlert::Reminder));
}

void HealthBalloon(HWND window)
{
    AppState& app = App();
    const VerdictChanges changes = app.healthChanges;
    app.healthChanges = VerdictChanges();
    ShowBalloon(window, HealthBalloonContent(changes));
}

void AcceptCautions()
{
    AppState& app = App();
    for (unsigned i = 0; i < kMaxDrives; ++i) {
        if (app.judge.Verdict(i).health == HealthState::Caution) {
            app.judge.AcceptCaution(i);
        }
    }
}

void RunTrayMenu(HWND window)
{
    const AppState& app = App();
    HMENU menu = CreatePopupMenu();
    if (!menu) {
        return;
    }
    const UINT needsTemperature = app.drives.measuredCount == 0 ? MF_GRAYED : MF_ENABLED;
    AppendMenuCp932(menu, MF_STRING | needsTemperature, CMD_MEASURE_NOW, Text(KelvixText::MenuMeasureNow));
    if (app.Measuring()) {
        AppendMenuCp932(menu, MF_STRING | needsTemperature, CMD_MEASURE_STOP, Text(KelvixText::MenuMeasureStop));
    } else {
        AppendMenuCp932(menu, MF_STRING | needsTemperature, CMD_MEASURE_RESUME, Text(KelvixText::MenuMeasureResume));
    }
    AppendMenuCp932(menu, MF_STRING | needsTemperature, CMD_COPY_TEMPERATURES, Text(KelvixText::MenuCopyTemperatures));
    bool anyCaution = false;
    for (unsigned i = 0; i < kMaxDrives; ++i) {
        anyCaution = anyCaution || app.judge.Verdict(i).health == HealthState::Caution;
    }
    if (anyCaution) {
        AppendMenuCp932(menu, MF_STRING, CMD_ACCEPT_CAUTION, Text(KelvixText::MenuAcceptCaution));
    }
    AppendMenuCp932(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuCp932(menu, MF_STRING | (app.monitorWindow ? MF_CHECKED : MF_UNCHECKED), CMD_MONITOR_WINDOW, Text(KelvixText::MenuMonitorWindow));
    AppendMenuCp932(menu, MF_STRING | (app.smartWindow ? MF_CHECKED : MF_UNCHECKED), CMD_SMART_WINDOW, Text(KelvixText::MenuSmartWindow));
    AppendMenuCp932(menu, MF_STRING | (app.historyWindow ? MF_CHECKED : MF_UNCHECKED), CMD_HISTORY_WINDOW, Text(KelvixText::MenuHistoryWindow));
    AppendMenuCp932(menu, MF_STRING | (StartsWithWindows() ? MF_CHECKED : MF_UNCHECKED), CMD_START_WITH_WINDOWS,
        Text(KelvixText::MenuStartWithWindows));
    AppendMenuCp932(menu, MF_STRING, CMD_SETTINGS, Text(CommonText::MenuSettings));
    AppendMenuCp932(menu, MF_STRING, CMD_ABOUT, Text(CommonText::MenuAbout));
    AppendMenuCp932(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuCp932(menu, MF_STRING, CMD_CLOSE, Text(CommonText::MenuExit));

    POINT cursor{};
    GetCursorPos(&cursor);
    ForceForeground(window);
    TrackPopupMenu(menu, TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN, cursor.x, cursor.y, 0, window, nullptr);
    DestroyMenu(menu);
}

void CopyTemperaturesToClipboard(HWND window)
{
    const ClipboardContent content = ClipboardContentOf(CollectReadings(App().drives), ProgramLanguage());
    if (!OpenClipboard(window)) {
        return;
    }
    EmptyClipboard();
    const std::size_t unicodeBytes = content.unicode.size() * sizeof(char16_t);
    PutOnClipboard(CF_UNICODETEXT,
        ClipboardBlock(content.unicode.data(), unicodeBytes, unicodeBytes + sizeof(char16_t)));
    if (content.cp932) {
        // Shorter than the block: stays terminated.
        PutOnClipboard(CF_TEXT, ClipboardBlock(content.cp932->data(), content.cp932->size(), kClipboardBlockSize));
    }
    CloseClipboard();
}
