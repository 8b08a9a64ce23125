#include "measurement.h"

#include "program_folder.h"
#include "temperature_log.h"
#include "worst_temperatures.h"

std::uint32_t MeasureAll(DriveState& drives, const Settings& settings)
{
    drives.measuredCount = 0;
    const std::uint32_t probeCount = drives.probeCount < kMaxDrives ? drives.probeCount : kMaxDrives;
    for (std::uint32_t i = 0; i < probeCount; ++i) {
        DriveRecord& record = drives.table[i];
        if (record.present == 0) {
            record.currentTemperature = 0;
            record.worstTemperature = 0;
            continue;
        }
        // A failed read keeps the last temperature and does not count.
        std::uint32_t bytes = 0;
        record.attributeResult = record.device.ReadAttributes(bytes);
        if (record.attributeResult == nullptr) {
            continue;
        }
        std::uint8_t raw[6] = {};
        if (!record.device.FindAttribute(record.temperatureAttributeId, raw)) {
            continue;
        }
        record.currentTemperature = raw[0];
        if (record.currentTemperature == 0) {
            continue;
        }
        if (record.currentTemperature > record.worstTemperature) {
            record.worstTemperature = record.currentTemperature;
            SaveWorst(record);
        }
        ++drives.measuredCount;
    }
    if (settings.UseLog != 0) {
        WriteTemperatureLog(drives, BesideProgram(settings.LogFile).c_str());
    }
    return drives.measuredCount;
}
