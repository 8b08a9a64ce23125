#include "measurement.h"

#include "drive_power.h"
#include "nvme_pages.h"
#include "program_folder.h"
#include "storage_property_query.h"
#include "temperature_log.h"
#include "worst_temperatures.h"

namespace {

// One attribute read of an ATA drive: its temperature, or false when the read fails or
// the attribute is missing.
bool ReadAtaTemperature(DriveRecord& record, std::uint8_t& temperature)
{
    std::uint32_t bytes = 0;
    record.attributeResult = record.device.ReadAttributes(bytes);
    if (record.attributeResult == nullptr) {
        return false;
    }
    std::uint8_t raw[6] = {};
    if (!record.device.FindAttribute(record.temperatureAttributeId, raw)) {
        return false;
    }
    temperature = raw[0];
    return true;
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

// A drive behind a bridge is asked through it first: USB storage drivers have no ATA
// pass-through of their own.
PowerAnswer AskPower(SmartDevice& device)
{
    if (device.Route() != AtaRoute::Smart) {
        AtaTaskfile checkPowerMode;
        checkPowerMode.command = kAtaCheckPowerMode;
        const SatReply reply = device.SatNonData(checkPowerMode);
        if (reply.done && reply.registersKnown) {
            const PowerAnswer answer = PowerModeAnswer(reply.registers.sectorCount);
            if (answer != PowerAnswer::NotAnswered) {
                return answer;
            }
        }
    }
    return AskDrivePower(device.Handle());
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
        if (LeaveAsleep(record, settings)) {
            // Nothing is sent: its last temperature counts, from enumeration's table
            // when no cycle has read it yet.
            std::uint8_t raw[6] = {};
            read = record.currentTemperature != 0 ||
                   record.device.FindAttribute(record.temperatureAttributeId, raw);
            temperature = record.currentTemperature != 0 ? record.currentTemperature : raw[0];
            record.lastReadFailed = 0;
        } else {
            bool answered = false;
            switch (record.kind) {
            case DriveKind::Nvme:
                read = ReadNvmeTemperature(record, temperature);
                answered = record.healthResult != nullptr;
                break;
            case DriveKind::Property:
                read = answered = ReadPropertyTemperature(record, temperature);
                break;
            case DriveKind::Ata:
                read = ReadAtaTemperature(record, temperature);
                // A drive without the temperature attribute answered; only a refused request failed.
                answered = record.attributeResult != nullptr;
                break;
            }
            record.lastReadFailed = answered ? 0 : 1;
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
