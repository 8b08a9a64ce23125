#include "measurement.h"

#include "drive_enumeration.h"
#include "drive_power.h"
#include "nvme_pages.h"
#include "program_folder.h"
#include "return_status.h"
#include "self_test_reading.h"
#include "storage_property_query.h"
#include "temperature_log.h"
#include "worst_temperatures.h"

namespace {

// The temperature in the attribute table the last read left, or false when there is none
// or it lacks the attribute.
bool AtaTableTemperature(const DriveRecord& record, std::uint8_t& temperature)
{
    std::uint8_t raw[6] = {};
    if (record.attributeResult == nullptr || !record.device.FindAttribute(record.temperatureAttributeId, raw)) {
        return false;
    }
    temperature = raw[0];
    return true;
}

// One attribute read of an ATA drive: its temperature, or false when the read fails or
// the attribute is missing.
bool ReadAtaTemperature(DriveRecord& record, std::uint8_t& temperature)
{
    std::uint32_t bytes = 0;
    record.attributeResult = record.device.ReadAttributes(bytes);
    AskReturnStatus(record);
    return AtaTableTemperature(record, temperature);
}

// What the reads enumeration (or a completed identity) just made say: no request. The
// property drive's value was taken there.
bool EnumeratedTemperature(const DriveRecord& record, std::uint8_t& temperature, bool& answered)
{
    switch (record.kind) {
    case DriveKind::Nvme:
        answered = record.healthResult != nullptr;
        temperature = answered ? HealthTemperature(record.healthResult) : 0;
        return answered;
    case DriveKind::Property:
        answered = true;
        temperature = record.currentTemperature;
        return true;
    case DriveKind::Ata:
        break;
    }
    answered = record.attributeResult != nullptr;
    return AtaTableTemperature(record, temperature);
}

// One health-log read of an NVMe drive, the one request its cycle sends.
bool ReadNvmeTemperature(DriveRecord& record, std::uint8_t& temperature)
{
    std::uint32_t bytes = 0;
    record.healthResult = record.nvme.ReadHealthLog(record.device.Handle(), bytes);
    if (record.healthResult == nullptr) {
        return false;
    }
    temperature = HealthTemperature(record.healthResult);
    return true;
}

// Whether this tick leaves a spun-down ATA drive unread; marks the record either way.
// NVMe drives are read as always, and with NoWake off no drive is asked.
bool LeaveAsleep(DriveRecord& record, const Settings& settings)
{
    if (record.kind != DriveKind::Ata || settings.NoWake == 0) {
        record.sleeping = 0;
        record.ticksAsleep = 0;
        return false;
    }
    const PowerAnswer answer = AskPower(record.device);
    const TickDecision decision = DecideTick(answer, settings.WakeAfter, record.ticksAsleep);
    record.sleeping = decision.sleeping ? 1 : 0;
    return !decision.read;
}

// One temperature-property query. A reply without a usable value (0, negative, above
// 255) answered, with no temperature.
bool ReadPropertyTemperature(DriveRecord& record, std::uint8_t& temperature)
{
    PropertyTemperature reply;
    if (!QueryTemperatureProperty(record.device.Handle(), reply)) {
        return false;
    }
    temperature = UsableTemperature(reply.temperature);
    return true;
}

}  // namespace

std::uint32_t MeasureAll(DriveState& drives, const Settings& settings)
{
    RetryUnsavedWorst();
    drives.measuredCount = 0;
    const std::uint32_t probeCount = drives.probeCount < kMaxDrives ? drives.probeCount : kMaxDrives;
    for (std::uint32_t i = 0; i < probeCount; ++i) {
        DriveRecord& record = drives.table[i];
        if (record.present == 0) {
            record.currentTemperature = 0;
            record.worstTemperature = 0;
            record.sleeping = 0;
            continue;
        }
        // A failed read keeps the last temperature and does not count.
        std::uint8_t temperature = 0;
        bool read = false;
        bool answered = false;
        bool awake = false;  // this tick reached the drive (or enumeration's read stands)
        if (record.enumerated != 0) {
            // Enumeration has just read the drive, or found it asleep: that stands for
            // this tick too, and the drive is not asked again.
            record.enumerated = 0;
            if (record.identityPending != 0) {
                DecideTick(PowerAnswer::SpunDown, settings.WakeAfter, record.ticksAsleep);
                answered = true;
            } else {
                read = EnumeratedTemperature(record, temperature, answered);
                awake = answered;
            }
        } else if (LeaveAsleep(record, settings)) {
            // Nothing is sent: its last temperature counts, from enumeration's table
            // when no cycle has read it yet (none for a drive asleep since the start).
            read = record.currentTemperature != 0 || AtaTableTemperature(record, temperature);
            temperature = record.currentTemperature != 0 ? record.currentTemperature : temperature;
            answered = true;
        } else if (record.identityPending != 0) {
            // The first read of a drive asleep at start: its own identity and tables first.
            read = CompleteIdentity(record) && EnumeratedTemperature(record, temperature, answered);
            awake = answered;
        } else {
            switch (record.kind) {
            case DriveKind::Nvme:
                read = ReadNvmeTemperature(record, temperature);
                answered = record.healthResult != nullptr;
                awake = answered;
                break;
            case DriveKind::Property:
                read = answered = ReadPropertyTemperature(record, temperature);
                break;
            case DriveKind::Ata:
                read = ReadAtaTemperature(record, temperature);
                // A drive without the temperature attribute answered; only a refused request failed.
                answered = record.attributeResult != nullptr;
                awake = answered;
                break;
            }
        }
        record.lastReadFailed = answered ? 0 : 1;
        CountSelfTestTick(record);
        if (awake) {
            ReadSelfTestsIfDue(record, settings.TimerCurrent, settings.SelfTest);
        }
        if (!read) {
            continue;
        }
        record.currentTemperature = temperature;
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

bool AnyDriveSleeping(const DriveState& drives)
{
    for (const DriveRecord& record : drives.table) {
        if (record.present != 0 && record.sleeping != 0) {
            return true;
        }
    }
    return false;
}
