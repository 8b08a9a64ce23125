#include "app_state_win.h"

#include "drive_enumeration.h"
#include "kv_version.h"
#include "monitor_ids.h"
#include "program_folder.h"

namespace {
AppState* g_app = nullptr;
}

AppState::AppState(HINSTANCE programInstance)
    : ProgramState(programInstance), server(drives.table), exporter(driveBoard, KV_VERSION_TEXT, server.Refused()),
      notifyLog(BesideProgram(kNotifyLogFile)), notifier([this](const std::string& line) { notifyLog.Write(line); })
{
    notifications = &notifier;
    drives.probeCount = DetectProbeCount();
    SetInitialAppearance(settings);
    refusedRequests = &server.Refused();
}

AppState& App()
{
    return *g_app;
}

void SetApp(AppState* app)
{
    g_app = app;
    SetProgram(app);
}
