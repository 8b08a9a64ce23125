#include "monitor_cells.h"

#include "health_words.h"
#include "monitor_bars.h"
#include "not_answering_text.h"
#include "temperature_text.h"

#include <cstdio>
#include <cstring>

namespace {

template <std::size_t N>
void CopyText(char (&destination)[N], const char* source)
{
    std::size_t length = 0;
    while (length < N - 1 && source[length] != '\0') ++length;
    std::memcpy(destination, source, length);
    destination[length] = '\0';
}

}  // namespace

unsigned WrittenCellCount(const DriveState& drives)
{
    return drives.probeCount < kMonitorCells ? drives.probeCount : kMonitorCells;
}

MonitorCellPlan PlanMonitorCells(const DriveState& drives, const Settings& settings, bool worstMode,
                                 const std::uint8_t* health, const DriveVerdict* verdicts)
{
    MonitorCellPlan plan;
    plan.writtenCells = WrittenCellCount(drives);
    for (unsigned cell = 0; cell < plan.writtenCells; ++cell) {
        CopyText(plan.cells[cell].temperatureText, settings.NA);
    }
    const unsigned listed = drives.presentCount < plan.writtenCells ? drives.presentCount : plan.writtenCells;
    unsigned k = 0;
    for (unsigned entry = 0; entry < listed; ++entry) {
        const std::uint32_t number = drives.presentList[entry];
        if (number >= kMaxDrives) {
            continue;  // an unused entry: no drive behind it
        }
        const DriveRecord& drive = drives.table[number];
        // A drive asleep since the start has a cell with no temperature in it.
        if (drive.currentTemperature == 0 && drive.sleeping == 0) {
            continue;
        }
        MonitorCell& cell = plan.cells[k++];
        char model[sizeof drive.model];
        CopyText(model, drive.model);
        char mark[16] = "";
        if (health != nullptr && health[number] >= 2) {
            std::snprintf(mark, sizeof mark, "[%s] ", HealthWord(health[number]));
        }
        const bool lost = verdicts != nullptr && verdicts[number].temperature == TemperatureState::NotAnswering;
        if (lost) {
            std::snprintf(cell.name, sizeof cell.name, "%s(%s) %s", mark,
                          NotAnsweringText(verdicts[number].notAnsweringSince).c_str(), model);
        } else if (drive.sleeping != 0) {
            std::snprintf(cell.name, sizeof cell.name, "%s(%s) %s", mark, SleepingText(), model);
        } else {
            std::snprintf(cell.name, sizeof cell.name, "%s%s", mark, model);
        }
        // Its last value is old: no current number or bar (the worst stays).
        const std::uint8_t current = lost ? 0 : drive.currentTemperature;
        const std::uint8_t shown = worstMode ? drive.worstTemperature : current;
        if (shown != 0) {
            FormatTemperature(settings.Form, shown, cell.temperatureText);
        }
        cell.currentBar = current;
        cell.worstBar = drive.worstTemperature;
        const std::uint32_t warning = verdicts != nullptr ? verdicts[number].warningTemperature : 0;
        cell.currentLevel = static_cast<std::uint8_t>(BarLevel(cell.currentBar, warning, settings.ScaleGrphLevel));
        cell.worstLevel = static_cast<std::uint8_t>(BarLevel(cell.worstBar, warning, settings.ScaleGrphLevel));
    }
    plan.filledCells = k;
    return plan;
}
