// What a Windows test program needs from the Wine harness around it.
#pragma once

#include <string>

namespace harness {

// Runs a Unix shell command line (Wine starts Unix programs by path). Returns -1 when it
// could not be started. Wine may report the end before the Unix program has finished, so
// callers wait for the program's results themselves.
int RunUnix(const std::string& shellCommand);

// Saves the whole virtual screen as <build>/screenshots/<name>.png; false on failure.
bool SaveScreenshot(const std::string& name);

// The folder screenshots go to (empty outside the harness).
std::string ScreenshotDir();

}  // namespace harness
