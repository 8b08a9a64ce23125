// DriveSnapshot: a copy of what the export services tell about each present drive,
// taken on the main thread after a measurement. The services copy the last published
// snapshot under a lock, so no answer mixes two measurements or tears a value.
#pragma once

#include "drive_media.h"
#include "drive_table.h"
#include "drive_verdict.h"
#include "nvme_pages.h"

#include <cstdint>
#include <mutex>

struct Settings;
class DriveJudge;

// What one drive's last measurement gave.
enum class DriveCondition : std::uint8_t {
    Temperature,    // a temperature was read
    NoTemperature,  // the read worked but the drive gave no temperature
    ReadFailed,     // the last read failed (the temperature shown is older, if any)
    Sleeping,       // spun down and not woken to be read; set by the standby check
};

struct DriveSnapshotEntry {
    unsigned driveNumber = 0;
    DriveKind kind = DriveKind::Ata;
    DriveMedia media = DriveMedia::Unknown;  // solid state or rotating, when the drive says
    DriveCondition condition = DriveCondition::NoTemperature;
    std::uint8_t temperature = 0;  // last known, 0 = none
    std::uint8_t worstTemperature = 0;
    char model[64] = {};
    char firmware[16] = {};
    char serial[32] = {};
    // The identity is still the early one of a drive asleep at start (shorter texts):
    // nothing is kept under it, as with worst values.
    bool identityPending = false;
    // The device name hddtemp clients are told ("/dev/sda" on Linux); empty for
    // /dev/PhysicalDrive<driveNumber>, the Windows name.
    char device[32] = {};
    // NVMe drives whose health log was read: the fields of the last log.
    bool hasHealth = false;
    std::uint8_t criticalWarning = 0;
    std::uint8_t availableSpare = 0;
    std::uint8_t availableSpareThreshold = 0;
    std::uint8_t percentageUsed = 0;
    char mediaErrors[kCounterTextSize] = {};
    // The drive's verdict after this measurement: temperature state, own warning
    // temperature and health with its reasons.
    DriveVerdict verdict;
};

// Notifications sent away from the machine, as counted by the program that sends them
// (it fills these in before publishing).
struct NotificationCounts {
    bool on = false;  // a URL or a command is set
    std::uint64_t delivered = 0;
    std::uint64_t failed = 0;
};

// The Home Assistant publisher as it was when the snapshot was taken, for the metrics.
struct PublisherState {
    bool configured = false;  // false: no [Mqtt] Host, and no series
    bool connected = false;
    std::uint64_t connects = 0;
    std::uint64_t failures = 0;
    std::uint64_t published = 0;
};

struct DriveSnapshot {
    DriveSnapshotEntry drives[kMaxDrives];
    unsigned count = 0;                   // present drives, in drive-number order
    std::uint32_t warningTemperature = 0;  // the user's warning temperature (ATA drives), °C;
                                          // each drive's own is in its verdict
    bool taken = false;                   // false until the first measurement is published
    NotificationCounts notifications;
    PublisherState mqtt;
};

// The present drives below the probe count, as the last measurement left them, each with
// the verdict `judge` gave it after that measurement.
DriveSnapshot TakeSnapshot(const DriveState& drives, const Settings& settings, const DriveJudge& judge);
// The same with a judge that has seen only this measurement (no baselines, no hysteresis).
DriveSnapshot TakeSnapshot(const DriveState& drives, const Settings& settings);

// The last published snapshot, shared by the main thread and the service threads. Each
// publish counts a generation, so a reader can tell whether what it made from an
// earlier copy still holds without copying again.
class SnapshotBoard {
public:
    void Publish(const DriveSnapshot& snapshot)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        snapshot_ = snapshot;
        ++generation_;
    }
    // The snapshot and the generation it belongs to, read together.
    DriveSnapshot Copy(std::uint64_t& generation) const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        generation = generation_;
        return snapshot_;
    }
    // 0 before the first publish.
    std::uint64_t Generation() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return generation_;
    }

private:
    mutable std::mutex mutex_;
    DriveSnapshot snapshot_;
    std::uint64_t generation_ = 0;
};
