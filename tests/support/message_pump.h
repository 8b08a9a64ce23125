// Runs the test thread's message loop, so windows created on it get their timers, posted
// messages and paints while a test waits.
#pragma once

#include <windows.h>

#include <functional>

// Dispatches messages for at least this long (and at least once).
void Pump(DWORD milliseconds);
// Dispatches only WM_PAINT for about that long; safe inside a modal script's step.
void PumpPaints(DWORD milliseconds);

// Dispatches messages until the condition holds or a generous limit (about ten seconds)
// has passed; returns the condition.
bool PumpUntil(const std::function<bool()>& condition);
