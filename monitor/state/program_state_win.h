// What the program and its views share: the drives, the settings and the handles of the
// open views. The program's own record (AppState) extends it; the views see only this.
// Only the user-interface thread touches it (the query server reads the drive table).
#pragma once

#include "drive_judge.h"
#include "drive_table.h"
#include "monitor_window_state_win.h"
#include "settings.h"

#include <windows.h>

#include <string>

class HistoryStore;
class SnapshotBoard;
struct RefusedRequests;
class MqttPublisher;
class Notifier;

struct ProgramState {
    explicit ProgramState(HINSTANCE programInstance) : instance(programInstance) {}
    ProgramState(const ProgramState&) = delete;
    ProgramState& operator=(const ProgramState&) = delete;

    HINSTANCE instance;
    // The main window, which measures: a view that needs a reading now asks it.
    HWND mainWindow = nullptr;
    HWND aboutDialog = nullptr;
    HWND monitorWindow = nullptr;
    HWND smartWindow = nullptr;
    HWND historyWindow = nullptr;
    DriveState drives;
    Settings settings;
    // Each drive's verdict after the last measurement; health baselines in KELVIX.INI.
    IniBaselineStore baselines;
    DriveJudge judge{&baselines};
    MonitorWindowState monitor;
    // What the network service left unanswered, for the about dialog; null without one.
    const RefusedRequests* refusedRequests = nullptr;
    // What the notifications delivered and gave up, for the about dialog.
    const Notifier* notifications = nullptr;
    // The Home Assistant publisher, for the about dialog; null while [Mqtt] has no host.
    const MqttPublisher* mqttPublisher = nullptr;
    // Where the web page is opened ("http://name:10634/"), for the about dialog; empty while off.
    std::string webAddress;
    // Every drive's past, for the history window and the viewer; null when it is not kept.
    const HistoryStore* history = nullptr;
    // The last published snapshot: the drives' names and own warning temperatures.
    const SnapshotBoard* snapshots = nullptr;
};

// The shared record while the program holds it.
ProgramState& Program();
// Installs (or, with null, clears) the record Program() returns.
void SetProgram(ProgramState* state);
