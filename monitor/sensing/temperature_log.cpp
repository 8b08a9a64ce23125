#include "temperature_log.h"

#include "file_trouble.h"
#include "logfile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

void FormatTemperatureLogText(const DriveState& drives, char (&text)[kLogTextSize])
{
    std::memset(text, 0, sizeof(text));
    const std::uint32_t probeCount = drives.probeCount < kMaxDrives ? drives.probeCount : kMaxDrives;
    std::size_t used = 0;
    for (std::uint32_t i = 0; i < probeCount; ++i) {
        const DriveRecord& record = drives.table[i];
        if (record.sleeping != 0) {
            std::snprintf(text + used, sizeof(text) - used, "%s ", kSleepingLogText);
        } else {
            std::snprintf(text + used, sizeof(text) - used, "%02u ",
                          static_cast<unsigned>(record.currentTemperature));
        }
        used = std::strlen(text);
    }
}

void WriteTemperatureLog(const DriveState& drives, const char* logFile)
{
    char text[kLogTextSize];
    FormatTemperatureLogText(drives, text);
    LOGFILE log;
    log.FileName(logFile);
    log.FormatType(LF_DATETIME);
    log.Enable(true);
    errno = 0;
    const bool written = log.Write(text);
    NoteFileWrite(logFile, written, errno);
}
