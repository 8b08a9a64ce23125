// The tray client's five settings per watched host, kept in "PELITO.INI" in a section
// named by the host text, so one file serves one PELITO per host.
#pragma once

#include "setting_keys.h"

#include <cstdint>

constexpr const char* kPelitoIniFile = "PELITO.INI";
constexpr unsigned kIconFileSize = 260;  // 259 characters and the terminator

struct PelitoSettings {
    std::uint32_t Timer = 60;       // poll period in seconds
    std::uint32_t Port = 10008;     // UDP port of the monitor's server
    std::uint32_t TimeOut = 3;      // seconds to wait for a reply
    std::uint32_t Temp = 45;        // above it the icon uses the warning digits
    char IconFile[kIconFileSize] = "7SEG_G.KVX";
    // [Common] Language: "auto" (Japanese on a Japanese Windows, else English), "ja", "en".
    char Language[16] = "auto";
};

// The five keys, in the order they are written, with the ranges the dialog offers.
const SettingTable& PelitoSettingKeys();

// Reads the five keys of the host's section; a missing file or key gives the default.
void LoadPelitoSettings(const char* host, PelitoSettings& settings, const char* file = kPelitoIniFile);
// Writes Timer, Port, TimeOut, Temp and IconFile, in that order, to the host's section;
// false when any of the writes was refused.
bool SavePelitoSettings(const char* host, const PelitoSettings& settings, const char* file = kPelitoIniFile);
