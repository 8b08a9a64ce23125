// The base of the fixtures that run the monitor program in-process: a fresh KELVIX.INI that
// names a drive database of the fixture's own, and the program started on a test's drives.
#pragma once

#include "monitor_session.h"

#include <gtest/gtest.h>

#include <vector>

class MonitorFixture : public ::testing::Test {
protected:
    explicit MonitorFixture(const char* databaseFile) : databaseFile_(databaseFile) {}

    void SetUp() override { ASSERT_TRUE(StartSettingsWithDatabase(databaseFile_)); }

    void TearDown() override
    {
        session_.Close();
        RemoveSettingsAndDatabase(databaseFile_);
    }

    // Creates the main window on these drives; its creation runs the whole start-up.
    void StartOn(const DriveSet& drives)
    {
        ASSERT_TRUE(session_.Start(drives));
        app_ = session_.App();
        window_ = session_.Window();
    }
    void Start(const std::vector<Drive>& drives) { StartOn(SimulatedDrives(drives)); }

    MonitorSession session_;
    AppState* app_ = nullptr;  // the session's, while it runs
    HWND window_ = nullptr;

private:
    const char* databaseFile_;
};
