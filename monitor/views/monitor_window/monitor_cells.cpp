#include "monitor_cells.h"

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

MonitorCellPlan PlanMonitorCells(const DriveState& drives, const Settings& settings, bool worstMode)
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
        if (drive.sleeping != 0) {
            char model[sizeof drive.model];
            CopyText(model, drive.model);
            std::snprintf(cell.name, sizeof cell.name, "(%s) %s", kSleepingText, model);
        } else {
            CopyText(cell.name, drive.model);
        }
        const std::uint8_t shown = worstMode ? drive.worstTemperature : drive.currentTemperature;
        if (shown != 0) {
            FormatTemperature(settings.Form, shown, cell.temperatureText);
        }
        cell.currentBar = drive.currentTemperature;
        cell.worstBar = drive.worstTemperature;
    }
    plan.filledCells = k;
    return plan;
}
