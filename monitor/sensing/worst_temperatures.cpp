#include "worst_temperatures.h"

#include "inifile.h"
#include "settings.h"

#include <cstdio>

namespace {
constexpr char kWorstSection[] = "Worst";
}

void FormatWorstKey(const DriveRecord& record, char (&key)[kWorstKeySize])
{
    std::snprintf(key, sizeof(key), "%s:%s:%s", record.model, record.firmware, record.serial);
}

void LoadWorst(DriveRecord& record)
{
    if (record.identityPending != 0) {
        return;
    }
    char key[kWorstKeySize];
    FormatWorstKey(record, key);
    INIFILE ini;
    if (!ini.Open(kSettingsFile)) {
        return;
    }
    ini.Read(kWorstSection, key, std::uint8_t{0}, &record.worstTemperature);
    ini.Close();
}

void SaveWorst(const DriveRecord& record)
{
    if (record.identityPending != 0) {
        return;
    }
    char key[kWorstKeySize];
    FormatWorstKey(record, key);
    INIFILE ini;
    if (!ini.Open(kSettingsFile)) {
        return;
    }
    ini.Write(kWorstSection, key, record.worstTemperature);
    ini.Close();
}
