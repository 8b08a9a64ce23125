// The application state of the monitor: one record on the heap for the program's life,
// owned by the entry and reached through App() by the main window and its dialogs. The
// views reach the part they share with the program through Program().
#pragma once

#include "drive_snapshot.h"
#include "export_server.h"
#include "history_store.h"
#include "icon_table_win.h"
#include "mqtt_publisher.h"
#include "named_mutex_win.h"
#include "notifier.h"
#include "notify_event.h"
#include "notify_log.h"
#include "notify_settings.h"
#include "program_state_win.h"
#include "temperature_server.h"
#include "tray_icon_win.h"
#include "verdict_board.h"
#include "warning_alerts.h"
#include "web_site.h"

#include <windows.h>

#include <memory>

struct AppState : ProgramState {
    explicit AppState(HINSTANCE programInstance);
    AppState(const AppState&) = delete;
    AppState& operator=(const AppState&) = delete;

    NamedMutex instanceMutex;
    TrayIcon trayIcon;
    HWND settingsDialog = nullptr;
    UINT_PTR measurementTimer = 0;  // 0 while measurement is stopped
    UINT_PTR clickTimer = 0;
    UINT_PTR trayRetryTimer = 0;  // runs while the shell has not taken the tray icon
    IconTable iconTable;
    TemperatureServer server;
    WarningAlerts warnings;  // which drives were warned of, and when
    VerdictChanges healthChanges;  // what the last measurement changed, for its balloon
    // What the export services answer from: the drive table as the last measurement left it.
    SnapshotBoard driveBoard;
    VerdictBoard verdictBoard;  // what the verdict request is answered from
    // The web page on the metrics port, while [Export] WebPage is on; it reads the
    // history store (ProgramState::history) for its charts.
    std::unique_ptr<WebSite> webSite;
    ExportServer exporter;
    // Notifications away from the PC: the [Notify] settings, the changes found between
    // snapshots, the sending thread and its log beside the program.
    NotifySettings notify;
    EventWatch notifyWatch;
    NotifyLogFile notifyLog;
    Notifier notifier;
    // Home Assistant: the [Mqtt] section and its publisher (null while it names no broker).
    MqttSettings mqttSettings;
    std::unique_ptr<MqttPublisher> mqtt;
    // Every drive's past, recorded at each measurement and written once a minute and at exit.
    std::unique_ptr<HistoryStore> historyStore;
    UINT_PTR historyTimer = 0;

    bool Measuring() const { return measurementTimer != 0; }
};

// The record while the entry holds it; only valid between its creation and destruction.
AppState& App();
// Installs (or, with null, clears) the record App() returns.
void SetApp(AppState* app);
