#include "pelito_settings.h"

#include "inifile.h"

#include <cstddef>

namespace {

// The host's section: no section of their own. The dialog's spin ranges.
constexpr SettingKey kKeys[] = {
    KV_SETTING(PelitoSettings, Timer, Unsigned, nullptr, "Timer", 30, 3600, kSettingInDialog),
    KV_SETTING(PelitoSettings, Port, Unsigned, nullptr, "Port", 10000, 65535, kSettingInDialog),
    KV_SETTING(PelitoSettings, TimeOut, Unsigned, nullptr, "TimeOut", 1, 10, kSettingInDialog),
    KV_SETTING(PelitoSettings, Temp, Unsigned, nullptr, "Temp", 10, 70, kSettingInDialog),
    KV_SETTING(PelitoSettings, IconFile, Text, nullptr, "IconFile", 1, kIconFileSize - 1, kSettingInDialog),
    // One for every host: the language of the whole program.
    KV_SETTING(PelitoSettings, Language, Text, "Common", "Language", 0, 15, 0),
};

constexpr SettingTable kTable = {kKeys, sizeof kKeys / sizeof kKeys[0]};

}  // namespace

const SettingTable& PelitoSettingKeys()
{
    return kTable;
}

void LoadPelitoSettings(const char* host, PelitoSettings& s, const char* file)
{
    const PelitoSettings defaults;
    INIFILE ini;
    ini.Open(file);
    ini.ReadWholeSections();
    ReadSettingKeys(ini, kTable, &s, &defaults, host);
}

bool SavePelitoSettings(const char* host, const PelitoSettings& s, const char* file)
{
    INIFILE ini;
    ini.Open(file);
    // Every key is written, in table order, whatever happened to the one before.
    return WriteSettingKeys(ini, kTable, &s, host);
}
