#include "monitor_session.h"

#include "disk_control.h"
#include "ini_file.h"
#include "main_window_win.h"
#include "message_pump.h"
#include "monitor_ids.h"
#include "window_helpers_win.h"

#include <cstdio>

DriveSet SimulatedDrives(const std::vector<Drive>& drives)
{
    DriveSet set;
    for (const Drive& drive : drives) {
        SimulatedDrive& simulated = set.drives[drive.number];
        simulated.Install(drive.number);
        simulated.SetModel(drive.model);
        if (!drive.temperatures.empty()) {
            simulated.SetTemperatures(194, drive.temperatures);
        }
        simulated.SealSectors();
    }
    return set;
}

bool StartSettingsWithDatabase(const char* databaseFile)
{
    DeleteFileA(IniPath(kKelvixIni).c_str());
    std::FILE* database = std::fopen(databaseFile, "wb");
    if (!database) {
        return false;
    }
    std::fputs("SIM=194\r\n", database);
    std::fclose(database);
    WriteIni(kKelvixIni, "Common", "CfgFile", databaseFile);
    return true;
}

void RemoveSettingsAndDatabase(const char* databaseFile)
{
    DeleteFileA(IniPath(kKelvixIni).c_str());
    DeleteFileA(databaseFile);
}

bool MonitorSession::Start(const DriveSet& drives)
{
    bus_ = std::make_unique<SimulatedDiskBus>(drives);
    InstallDiskControl(bus_.get());
    app_ = std::make_unique<AppState>(GetModuleHandleA(nullptr));
    SetApp(app_.get());
    if (!RegisterWindowClass(app_->instance, kMonitorClassName, MainWindowProc, kProgramIconId, false, 0)) {
        return false;
    }
    window_ = CreateHiddenWindow(app_->instance, kMonitorClassName, kMonitorTitle);
    if (!window_) {
        return false;
    }
    Pump(100);
    return true;
}

void MonitorSession::Close()
{
    if (!bus_ && !app_) {
        return;  // never started, or closed already
    }
    if (window_ && IsWindow(window_)) {
        DestroyWindow(window_);
    }
    window_ = nullptr;
    Pump(50);
    if (app_) {
        UnregisterClassA(kMonitorClassName, app_->instance);
    }
    app_.reset();
    SetApp(nullptr);
    InstallDiskControl(nullptr);
    bus_.reset();
}
