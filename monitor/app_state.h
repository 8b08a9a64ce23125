// The application state of the monitor: one record on the heap for the program's life,
// owned by the entry and reached through App() by the main window, its dialogs and the
// monitor views. Only the user-interface thread touches it (the query server reads the
// drive table).
#pragma once

#include "drive_table.h"
#include "icon_table.h"
#include "monitor_window_state.h"
#include "named_mutex.h"
#include "settings.h"
#include "temperature_server.h"
#include "tray_icon.h"

#include <windows.h>

struct AppState {
    explicit AppState(HINSTANCE programInstance);
    AppState(const AppState&) = delete;
    AppState& operator=(const AppState&) = delete;

    HINSTANCE instance;
    NamedMutex instanceMutex;
    TrayIcon trayIcon;
    HWND mainWindow = nullptr;
    HWND aboutDialog = nullptr;
    HWND settingsDialog = nullptr;
    HWND monitorWindow = nullptr;
    HWND smartWindow = nullptr;
    UINT_PTR measurementTimer = 0;  // 0 while measurement is stopped
    UINT_PTR clickTimer = 0;
    DriveState drives;
    Settings settings;
    MonitorWindowState monitor;
    IconTable iconTable;
    TemperatureServer server;

    bool Measuring() const { return measurementTimer != 0; }
};

// The record while the entry holds it; only valid between its creation and destruction.
AppState& App();
// Installs (or, with null, clears) the record App() returns.
void SetApp(AppState* app);
