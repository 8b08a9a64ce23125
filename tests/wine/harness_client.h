// What a Windows test program needs from the Wine harness around it.
#pragma once

#include <string>

namespace harness {

// Runs a Unix shell command line (Wine starts Unix programs by path); returns its exit
// code, or -1 when it could not be started.
int RunUnix(const std::string& shellCommand);

// Saves the whole virtual screen as <build>/screenshots/<name>.png; false on failure.
bool SaveScreenshot(const std::string& name);

// The folder screenshots go to (empty outside the harness).
std::string ScreenshotDir();

}  // namespace harness
