#include "drive_readings.h"

#include "drive_judge.h"
#include "temperature_rule.h"

DriveReadings CollectReadings(const DriveState& drives, const DriveJudge& judge)
{
    DriveReadings readings = CollectReadings(drives);
    for (unsigned i = 0; i < readings.count; ++i) {
        DriveReading& reading = readings.items[i];
        const DriveVerdict& verdict = judge.Verdict(reading.driveNumber);
        reading.health = static_cast<std::uint8_t>(verdict.health);
        reading.notAnswering = verdict.temperature == TemperatureState::NotAnswering;
        reading.notAnsweringSince = verdict.notAnsweringSince;
    }
    return readings;
}

DriveReadings CollectReadings(const DriveState& drives)
{
    DriveReadings readings;
    const unsigned probeCount = drives.probeCount < kMaxDrives ? drives.probeCount : kMaxDrives;
    for (unsigned number = 0; number < probeCount; ++number) {
        const DriveRecord& record = drives.table[number];
        if (record.present == 0 || (record.currentTemperature == 0 && record.sleeping == 0)) {
            continue;
        }
        DriveReading reading;
        reading.driveNumber = number;
        reading.temperature = record.currentTemperature;
        reading.model = record.model;
        reading.capacityText = record.capacityText;
        reading.transferModeText = record.transferModeText;
        reading.sleeping = record.sleeping != 0;
        reading.kind = record.kind;
        reading.ownWarning = NvmeOwnWarning(record);
        readings.Add(reading);
    }
    return readings;
}
