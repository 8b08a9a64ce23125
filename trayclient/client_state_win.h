// Everything PELITO keeps while it runs: one record, owned by the entry and reached by
// the main window, its dialogs and the poll.
#pragma once

#include "client_ids.h"
#include "digit_icon_set_win.h"
#include "gdi_font_win.h"
#include "host_text.h"
#include "pelito_settings.h"
#include "report_slots.h"
#include "startup_polls.h"
#include "tray_icon_win.h"
#include "ws32_types.h"

#include <windows.h>

#include <string>

struct ClientState {
    ClientState(HINSTANCE instance, const char* commandLine);
    ClientState(const ClientState&) = delete;
    ClientState& operator=(const ClientState&) = delete;

    HINSTANCE instance;
    char host[kHostTextSize] = {};
    PelitoSettings settings;
    std::string settingsFile = kPelitoIniFile;  // where they are read and saved
    DigitIconSet digits;
    TrayIcon trayIcons[kDriveSlots];
    ReportSlots reports;
    bool verdictsAnswered = false;  // the server answered the verdict request last time
    UINT_PTR pollTimer = 0;
    StartupPolls startup;     // the first polls, tried again on kStartupTimerId
    bool startingUp = false;  // until the first answer or the settings dialog
    HWND settingsDialog = nullptr;
    HWND aboutDialog = nullptr;
    UINT taskbarCreated = 0;
    bool trayIconMissing = false;  // an add the shell refused: tried again at each poll
    bool socketLibraryLoaded = false;
    bool socketsStarted = false;
    Ws32StartupRecord sockets{};
    GDIFONT titleFont;
    GDIFONT textFont;
};

ClientState& Client();
void SetClient(ClientState* state);
