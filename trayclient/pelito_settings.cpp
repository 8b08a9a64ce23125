#include "pelito_settings.h"

#include "inifile.h"

#include <cstring>

void LoadPelitoSettings(const char* host, PelitoSettings& s, const char* file)
{
    const PelitoSettings d;
    INIFILE ini;
    ini.Open(file);
    ini.Read(host, "Timer", d.Timer, &s.Timer);
    ini.Read(host, "Port", d.Port, &s.Port);
    ini.Read(host, "TimeOut", d.TimeOut, &s.TimeOut);
    ini.Read(host, "Temp", d.Temp, &s.Temp);
    ini.Read(host, "IconFile", d.IconFile, s.IconFile, kIconFileSize);
}

void SavePelitoSettings(const char* host, const PelitoSettings& s, const char* file)
{
    INIFILE ini;
    ini.Open(file);
    ini.Write(host, "Timer", s.Timer);
    ini.Write(host, "Port", s.Port);
    ini.Write(host, "TimeOut", s.TimeOut);
    ini.Write(host, "Temp", s.Temp);
    ini.Write(host, "IconFile", s.IconFile);
}
