#include "pelito_settings.h"

#include "inifile.h"

#include <algorithm>
#include <cstring>
#include <iterator>

void LoadPelitoSettings(const char* host, PelitoSettings& s, const char* file)
{
    const PelitoSettings d;
    INIFILE ini;
    ini.Open(file);
    ini.ReadWholeSections();
    ini.Read(host, "Timer", d.Timer, &s.Timer);
    ini.Read(host, "Port", d.Port, &s.Port);
    ini.Read(host, "TimeOut", d.TimeOut, &s.TimeOut);
    ini.Read(host, "Temp", d.Temp, &s.Temp);
    ini.Read(host, "IconFile", d.IconFile, s.IconFile, kIconFileSize);
}

bool SavePelitoSettings(const char* host, const PelitoSettings& s, const char* file)
{
    INIFILE ini;
    ini.Open(file);
    // Every key is written, in this order, whatever happened to the one before.
    const int written[] = {
        ini.Write(host, "Timer", s.Timer),
        ini.Write(host, "Port", s.Port),
        ini.Write(host, "TimeOut", s.TimeOut),
        ini.Write(host, "Temp", s.Temp),
        ini.Write(host, "IconFile", s.IconFile),
    };
    return std::all_of(std::begin(written), std::end(written), [](int result) { return result != 0; });
}
