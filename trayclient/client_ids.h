// Names and numbers of PELITO's hidden main window: class, title, tray callbacks,
// menu commands and the poll timer.
#pragma once

#include <windows.h>

constexpr char kClientClassName[] = "ORVALD_TRAYICON_CLIENT";
constexpr char kClientTitle[] = "ORVALD TRAYICON_CLIENT";

// Drive slot i reports its mouse events with message kFirstTrayCallback + i.
constexpr UINT kFirstTrayCallback = 0x8001;

constexpr UINT CMD_PELITO_SETTINGS = 0x8020;
constexpr UINT CMD_PELITO_ABOUT = 0x8021;
constexpr UINT CMD_PELITO_EXIT = 0x8022;

constexpr UINT_PTR kPollTimerId = 0x1000;
constexpr UINT_PTR kStartupTimerId = 0x1001;  // the first polls, tried again

// Drive slot i's tray icon has id i + 1 at every start: the shell keeps the user's
// choice to show an icon by the program's path and that id.
constexpr UINT DriveTrayIconId(unsigned slot) { return slot + 1; }
constexpr DWORD kBalloonTimeoutMs = 10000;
