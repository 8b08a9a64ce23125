// The monitor program in-process for the Windows tests: simulated drives behind the disk
// control, the program's state and its hidden main window, whose creation runs the whole
// start-up; and the settings file such a test starts from.
#pragma once

#include "app_state_win.h"
#include "simulated_disk.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

constexpr const char* kKelvixIni = "KELVIX.INI";

// A simulated drive in slot `number` whose model is in the test database.
struct Drive {
    unsigned number;
    const char* model;
    std::vector<std::uint8_t> temperatures;  // empty: no temperature attribute
};

DriveSet SimulatedDrives(const std::vector<Drive>& drives);

// Starts KELVIX.INI afresh, naming a drive database of the test's own in which every
// simulated model ("SIM ...") reads its temperature from attribute 194; false when the
// database could not be written.
bool StartSettingsWithDatabase(const char* databaseFile);
// Removes what StartSettingsWithDatabase wrote, and anything written to KELVIX.INI since.
void RemoveSettingsAndDatabase(const char* databaseFile);

class MonitorSession {
public:
    MonitorSession() = default;
    ~MonitorSession() { Close(); }
    MonitorSession(const MonitorSession&) = delete;
    MonitorSession& operator=(const MonitorSession&) = delete;

    // Installs the drives, makes the state current and creates the main window; false when
    // its class could not be registered or the window not be created.
    bool Start(const DriveSet& drives);
    bool Start(const std::vector<Drive>& drives) { return Start(SimulatedDrives(drives)); }

    // Destroys the main window if it is still there, then releases the state and the drives.
    void Close();

    AppState* App() const { return app_.get(); }
    HWND Window() const { return window_; }

private:
    std::unique_ptr<SimulatedDiskBus> bus_;
    std::unique_ptr<AppState> app_;
    HWND window_ = nullptr;
};
