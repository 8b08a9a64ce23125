// The drive table: one DriveRecord per physical drive number, slot i = drive i.
#pragma once

#include "kelvix_texts.h"
#include "nvme_device.h"
#include "self_test_log.h"
#include "smart_device.h"

#include <cstdint>

constexpr unsigned kMaxDrives = 16;
constexpr std::uint32_t kNoDrive = 0xFFFFFFFF;
// The mark of a drive left asleep, wherever drives are listed, in the program's language.
inline const char* SleepingText()
{
    return Text(KelvixText::Sleeping);
}

// How a present drive is read: ATA S.M.A.R.T. requests, the NVMe storage queries, or only
// the storage stack's temperature property (a drive no other way reaches).
enum class DriveKind : std::uint8_t { Ata = 0, Nvme = 1, Property = 2 };

// Where an ATA drive's temperature attribute came from: a database line, the usual
// attributes (194, else 190) when no line fits, or a line saying the model has none.
enum class TemperatureSource : std::uint8_t { None = 0, Database, Fallback, DatabaseNone };

struct DriveRecord {
    SmartDevice device;
    std::uint32_t present = 0;
    std::uint8_t temperatureAttributeId = 0;
    TemperatureSource temperatureSource = TemperatureSource::None;
    std::uint8_t currentTemperature = 0;
    std::uint8_t worstTemperature = 0;
    // 1 while an ATA drive is spun down and left unread: the temperatures are its last.
    std::uint8_t sleeping = 0;
    std::uint32_t ticksAsleep = 0;  // consecutive ticks left unread
    // 1 while a drive found asleep at start is known only by what the operating system
    // says of it (the device descriptor, sysfs): nothing has been sent to it yet, and no
    // worst value is loaded or saved under that identity. Its own identity comes with its
    // first read (drive_enumeration.h).
    std::uint8_t identityPending = 0;
    // 1 from enumeration to the first measurement, which takes enumeration's reading (or
    // its power answer) instead of asking the drive a second time.
    std::uint8_t enumerated = 0;
    std::uint8_t lastReadFailed = 0;  // 1 when the last measurement's read of the drive failed
    // ATA drives: the last answer to RETURN STATUS (return_status.h); 1 once the disk
    // driver's S.M.A.R.T. request refused it and IOCTL_ATA_PASS_THROUGH asks instead; 1
    // once the drive refused it every way: it is asked no more until it is enumerated again.
    ReturnStatus returnStatus = ReturnStatus::NotAsked;
    std::uint8_t returnStatusByPassThrough = 0;
    std::uint8_t returnStatusRefused = 0;
    // The drive's own self-test log (ATA log 06h, NVMe page 06h) as last read, with the
    // measurements since it was read; an awake drive's is read at its first read and then
    // about once a day (self_test_reading.h). Kept when a later read fails.
    SelfTestLog selfTests;
    std::uint32_t ticksSinceSelfTests = 0;
    std::uint8_t selfTestsAsked = 0;
    std::uint8_t selfTestWasRunning = 0;  // at the last awake read, a self-test ran
    // ATA drives with General Purpose logs: 1 once the log directory answered, and the
    // pages it gives the extended self-test log (07h; 0: none, or more than are read).
    // Asked once from enumeration on: a drive without the log is not asked again.
    std::uint8_t gpDirectoryRead = 0;
    std::uint8_t extendedSelfTestPages = 0;
    char model[64] = {};
    char firmware[16] = {};
    char serial[32] = {};
    char capacityText[32] = {};
    char transferModeText[32] = {};
    const GETVERSIONINPARAMS* versionResult = nullptr;
    std::uint32_t versionBytes = 0;
    const std::uint8_t* identifyResult = nullptr;
    std::uint32_t identifyBytes = 0;
    const std::uint8_t* attributeResult = nullptr;
    std::uint32_t attributeBytes = 0;
    const std::uint8_t* thresholdResult = nullptr;
    std::uint32_t thresholdBytes = 0;
    // NVMe drives: identify controller data from enumeration, the health log refreshed
    // by every measurement cycle (pointers into `nvme`).
    DriveKind kind = DriveKind::Ata;
    NvmeDevice nvme;
    const std::uint8_t* nvmeIdentifyResult = nullptr;
    std::uint32_t nvmeIdentifyBytes = 0;
    const std::uint8_t* healthResult = nullptr;
    std::uint32_t healthBytes = 0;
    // Property drives: the thresholds the temperature property gave (0: not given) and
    // the bus the device descriptor named.
    std::int16_t propertyWarning = 0;
    std::int16_t propertyCritical = 0;
    std::uint32_t propertyBusType = 0;
};

// The drive members of the application state. Written by the main thread only; the
// query server reads present, temperatures and the identity texts without a lock.
struct DriveState {
    std::uint32_t probeCount = 0;
    std::uint32_t measuredCount = 0;
    std::uint32_t presentCount = 0;
    std::uint32_t presentList[kMaxDrives] = {};
    DriveRecord table[kMaxDrives];
};
