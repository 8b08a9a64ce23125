#include "main_window_win.h"

#include "common_controls_win.h"
#include "app_state_win.h"
#include "drive_database.h"
#include "drive_enumeration.h"
#include "error_box_win.h"
#include "kv_version.h"
#include "language.h"
#include "measurement.h"
#include "message_filter_win.h"
#include "timer_period.h"
#include "monitor_ids.h"
#include "monitor_views.h"
#include "mqtt_publisher.h"
#include "notify_transport.h"
#include "profile_location_win.h"
#include "program_folder.h"
#include "settings_dialog_win.h"
#include "start_with_windows_win.h"
#include "tray_actions_win.h"
#include "publication_win.h"
#include "tray_picture_win.h"

#include <chrono>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

// The shell's broadcast after its notification area was re-created.
const UINT g_taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
// WM_DPICHANGED, not declared for the Windows XP target.
constexpr UINT kDpiChangedMessage = 0x02E0;

void ShowTraySlot(unsigned slot)
{
    AppState& app = App();
    ReadyTraySlot(app.iconTable, app.trayIcon, slot);
    app.trayIcon.Modify(slot);
}

// The shell took the icon, or the retry timer runs until it does (at logon the
// notification area may come after the program).
void KeepTrayIconShown(HWND window, bool shown)
{
    AppState& app = App();
    if (shown && app.trayRetryTimer != 0) {
        KillTimer(window, app.trayRetryTimer);
        app.trayRetryTimer = 0;
    } else if (!shown && app.trayRetryTimer == 0) {
        app.trayRetryTimer = SetTimer(window, kTrayRetryTimerId, kTrayRetryMs, nullptr);
    }
}

// One measurement cycle, then its verdicts and results handed on.
void Measure()
{
    MeasureAll(App().drives, App().settings);
    JudgeAndPublish(true);
}

// The export services the settings turn on. A port that cannot be opened (taken, or a
// listen address that is not this machine's) is told, and the services stay off.
void StartExport(HWND window)
{
    AppState& app = App();
    const Settings& settings = app.settings;
    if (settings.HddtempPort == 0 && settings.MetricsPort == 0) {
        return;
    }
    ExportConfig config;
    config.hddtempPort = static_cast<std::uint16_t>(settings.HddtempPort);
    config.metricsPort = static_cast<std::uint16_t>(settings.MetricsPort);
    MakeAccessRules(settings.AllowedHosts, settings.ReportsPerSecond, config.access);
    if (settings.WebPage != 0 && !app.exporter.Running()) {
        WebSiteInfo info;
        info.hostName = ThisHostName();
        info.version = KV_VERSION_TEXT;
        info.language = ProgramLanguage();
        info.refreshSeconds = settings.TimerCurrent;
        app.webSite = std::make_unique<WebSite>(app.driveBoard, app.history, info);
    }
    config.web = settings.WebPage != 0 ? app.webSite.get() : nullptr;
    const bool valid = settings.HddtempPort <= 0xFFFF && settings.MetricsPort <= 0xFFFF
                       && settings.HddtempPort != settings.MetricsPort
                       && ParseListenAddress(settings.ListenAddress, config.listenAddress);
    app.webAddress.clear();
    if (!valid || !app.exporter.Start(config)) {
        ShowExportError(window, settings.HddtempPort, settings.MetricsPort, settings.ListenAddress);
    } else if (config.web != nullptr && app.exporter.MetricsPort() != 0) {
        // The listen address when there is one; else the name other machines know it by.
        app.webAddress = "http://" + (settings.ListenAddress[0] != '\0' ? std::string(settings.ListenAddress) : ThisHostName())
                         + ":" + std::to_string(app.exporter.MetricsPort()) + "/";
    }
}

// After a measurement that gave temperatures: the tray picture and the warning.
void ShowMeasurement(HWND window)
{
    AppState& app = App();
    if (app.monitorWindow) {
        RefreshMonitorWindow(app.monitorWindow);
    }
    if (app.historyWindow) {
        RefreshHistoryWindow(app.historyWindow);
    }
    if (app.smartWindow) {
        RefreshSmartWindow(app.smartWindow);
    }
    if (app.drives.measuredCount > 0) {
        ShowTraySlot(CurrentTraySlot());
        WarningBalloon(window);
    }
    HealthBalloon(window);
}

std::int64_t Now()
{
    return static_cast<std::int64_t>(std::time(nullptr));
}

// The history file beside KELVIX.INI; a file that cannot be read is set aside by the store
// itself (KELVIX.HIS.bad) and the debugger output says so.
void OpenHistory(HWND window)
{
    AppState& app = App();
    app.historyStore = std::make_unique<HistoryStore>(ProfileFilePath(kHistoryFile), [](const char* line) {
        OutputDebugStringA((std::string("KELVIX: ") + line + "\n").c_str());
    });
    app.history = app.historyStore.get();
    app.snapshots = &app.driveBoard;
    app.historyTimer = SetTimer(window, kHistoryTimerId, kHistoryFlushMs, nullptr);
}

void OpenMonitor(HWND window)
{
    AppState& app = App();
    app.monitorWindow = OpenMonitorWindow(window);
}

// Each step that fails has shown its message; the window then closes the program.
// The server with the settings' rules of who is answered and how often (a list that does
// not parse: the default list).
bool StartServer(AppState& app)
{
    AccessRules rules;
    MakeAccessRules(app.settings.AllowedHosts, app.settings.ReportsPerSecond, rules);
    app.server.SetAccessRules(rules);
    app.server.SetVerdictBoard(&app.verdictBoard);
    return app.server.StartServer(app.settings.Port);
}

bool CreateMonitor(HWND window)
{
    AppState& app = App();
    app.mainWindow = window;
    // The language first: every box below speaks it.
    LoadSettings(app.settings);
    ChooseProgramLanguage(app.settings.Language);
    if (!app.instanceMutex.Create(kMonitorClassName)) {
        ShowError(window, MSG_ALREADY_RUNNING);
        return false;
    }
    LoadNotifySettings(kSettingsFile, app.notify);
    app.notifier.Start(app.notify, ThisHostName());
    if (!LoadDriveDatabase(BesideProgram(app.settings.CfgFile).c_str())) {
        ShowError(window, MSG_DATABASE_FAILED);
        return false;
    }
    if (!LoadIconTable(app.iconTable, app.settings.IconFile)) {
        ShowError(window, MSG_GLYPHS_FAILED);
        return false;
    }
    // The socket library loads while the tray icon is added (both take milliseconds);
    // earlier, the loading would hold up the glyph file's.
    app.server.BeginStartUp();
    if (!app.trayIcon.Create(app.instance, window, kTrayIconId, kIconTableSize)) {
        ShowError(window, MSG_TRAY_FAILED);
        return false;
    }
    app.trayIcon.SetCallback(kTrayCallbackMessage);
    ReadyTraySlot(app.iconTable, app.trayIcon, kSlotStopped);
    // Elevated, the window hears a non-elevated Explorer's "TaskbarCreated" only when let.
    AllowMessageFromLowerRights(window, g_taskbarCreated);
    KeepTrayIconShown(window, app.trayIcon.Add(kSlotStopped));

    OpenHistory(window);
    EnumerateDrives(app.drives, app.settings.NoWake != 0);
    Measure();
    // A drive asleep since the start has no temperature yet; the ticks must go on to see
    // it wake.
    if (app.drives.measuredCount > 0 || AnyDriveSleeping(app.drives)) {
        SetMeasuring(window, true);
        InfoBalloon(window);
        WarningBalloon(window);
        HealthBalloon(window);
    } else {
        ShowTraySlot(kSlotNoTemperature);
    }
    if (app.settings.UseInformation != 0) {
        OpenMonitor(window);
    }
    if (!app.server.StartUp()) {
        return false;
    }
    if (app.settings.UseNetwork != 0 && !StartServer(app)) {
        return false;
    }
    StartExport(window);
    std::vector<std::string> problems;  // a refused value keeps its default, as every key does
    app.mqttSettings = LoadMqttSettings(kSettingsFile, problems);
    RestartMqtt();
    return true;
}

void DestroyMonitor(HWND window)
{
    AppState& app = App();
    app.exporter.Stop();
    app.notifier.Stop();
    app.mqttPublisher = nullptr;
    app.mqtt.reset();  // says "offline" while the socket library is still loaded
    if (app.settings.UseNetwork != 0) {
        app.server.StopServer(app.settings.Port);
    }
    app.server.CleanUp();
    SetMeasuring(window, false);
    if (app.historyWindow) {
        DestroyWindow(app.historyWindow);
    }
    if (app.historyTimer != 0) {
        KillTimer(window, app.historyTimer);
        app.historyTimer = 0;
    }
    if (app.historyStore) {
        app.historyStore->Flush(Now(), 0);
    }
    KeepTrayIconShown(window, true);
    app.trayIcon.Destroy();
    app.instanceMutex.Release();
    DestroyIconTable(app.iconTable);
    PostQuitMessage(0);
}

void OnTimer(HWND window, UINT_PTR timer)
{
    AppState& app = App();
    if (app.measurementTimer != 0 && timer == app.measurementTimer) {
        Measure();
        ShowMeasurement(window);
    } else if (app.historyTimer != 0 && timer == app.historyTimer) {
        app.historyStore->Flush(Now());
    } else if (app.trayRetryTimer != 0 && timer == app.trayRetryTimer) {
        KeepTrayIconShown(window, app.trayIcon.Restore());
    } else if (app.clickTimer != 0 && timer == app.clickTimer) {
        if (KillTimer(window, app.clickTimer)) {
            app.clickTimer = 0;
            InfoBalloon(window);  // a single click: no second one came
        }
    } else {
        ShowError(window, MSG_UNKNOWN_TIMER);
    }
}

void RunSettings(HWND window)
{
    AppState& app = App();
    if (app.settings.UseNetwork != 0) {
        app.server.StopServer(app.settings.Port);
    }
    app.exporter.Stop();
    ReadyCommonControls();
    DialogBoxParamW(app.instance, MAKEINTRESOURCEW(kSettingsDialogId), window, SettingsDialogProc, 0);
    if (app.drives.measuredCount > 0 && app.Measuring()) {
        if (app.monitorWindow) {
            RefreshMonitorWindow(app.monitorWindow);
        }
        SetMeasuring(window, true);  // the new interval at once
    }
    if (app.settings.UseNetwork != 0) {
        StartServer(app);
    }
    // The warning temperature may have changed: the services answer with the new one.
    JudgeAndPublish();
    StartExport(window);
}

void OnCommand(HWND window, UINT command)
{
    AppState& app = App();
    switch (command) {
    case CMD_MEASURE_RESUME:
        if (app.drives.measuredCount > 0) SetMeasuring(window, true);
        break;
    case CMD_MEASURE_STOP:
        if (app.drives.measuredCount > 0) SetMeasuring(window, false);
        break;
    case CMD_MEASURE_NOW:
        Measure();
        ShowMeasurement(window);
        break;
    case CMD_ACCEPT_CAUTION:
        AcceptCautions();
        JudgeAndPublish();
        ShowMeasurement(window);
        break;
    case CMD_COPY_TEMPERATURES:
        CopyTemperaturesToClipboard(window);
        break;
    case CMD_SETTINGS:
        RunSettings(window);
        break;
    case CMD_MONITOR_WINDOW:
        if (app.monitorWindow) {
            PostMessageA(app.monitorWindow, WM_COMMAND, CMD_CLOSE, 0);
        } else {
            OpenMonitor(window);
        }
        break;
    case CMD_MONITOR_REOPEN:
        if (app.monitorWindow) {
            SendMessageA(app.monitorWindow, WM_COMMAND, CMD_CLOSE, 0);
        }
        OpenMonitor(window);
        break;
    case CMD_SMART_WINDOW:
        if (app.smartWindow) {
            PostMessageA(app.smartWindow, WM_COMMAND, CMD_CLOSE, 0);
        } else {
            app.smartWindow = OpenSmartWindow();
        }
        break;
    case CMD_HISTORY_WINDOW:
        if (app.historyWindow) {
            PostMessageA(app.historyWindow, WM_COMMAND, CMD_CLOSE, 0);
        } else {
            app.historyWindow = OpenHistoryWindow();
        }
        break;
    case CMD_START_WITH_WINDOWS:
        ChangeStartWithWindows(window, !StartsWithWindows());
        break;
    case CMD_SHOW_INFO:
        InfoBalloon(window);
        break;
    case CMD_ABOUT:
        RunAboutDialog(window);
        break;
    case CMD_CLOSE:
        PostMessageA(window, WM_CLOSE, 0, 0);
        break;
    default:
        break;
    }
}

LRESULT Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        if (!CreateMonitor(window)) {
            PostMessageA(window, WM_CLOSE, 0, 0);
        }
        return 0;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        DestroyMonitor(window);
        return 0;
    case WM_COMMAND:
        OnCommand(window, LOWORD(wParam));
        return 0;
    case WM_TIMER:
        OnTimer(window, wParam);
        return 0;
    case kTrayCallbackMessage:
        HandleTrayCallback(window, lParam);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = Dispatch(window, message, wParam, lParam);
    if (g_taskbarCreated != 0 && message == g_taskbarCreated) {
        KeepTrayIconShown(window, App().trayIcon.Restore());
    }
    if (message == WM_DISPLAYCHANGE || message == WM_SETTINGCHANGE || message == kDpiChangedMessage) {
        // The notification area's icon size follows the display scaling.
        AppState& app = App();
        RefitIconTable(app.iconTable, app.trayIcon, app.settings.IconFile, CurrentTraySlot());
    }
    return result;
}

bool SetMeasuring(HWND window, bool on)
{
    AppState& app = App();
    if (on) {
        if (app.measurementTimer != 0 && KillTimer(window, app.measurementTimer)) {
            app.measurementTimer = 0;
        }
        app.measurementTimer =
            SetTimer(window, kMeasurementTimerId, TimerPeriodMs(app.settings.TimerCurrent), nullptr);
        if (app.measurementTimer == 0) {
            return false;
        }
    } else if (app.measurementTimer != 0) {
        if (!KillTimer(window, app.measurementTimer)) {
            return false;
        }
        app.measurementTimer = 0;
    }
    ShowTraySlot(CurrentTraySlot());
    return true;
}
