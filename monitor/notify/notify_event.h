// NotifyEvent: one change of a drive worth telling the user away from the PC, and
// EventWatch, which finds those changes between two published snapshots. The changes
// come only from the drive verdict and the read condition: nothing here decides what
// is hot or unhealthy.
#pragma once

#include "drive_snapshot.h"

#include <cstdint>
#include <ctime>
#include <vector>

enum class NotifyEventKind : std::uint8_t {
    Hot,          // temperature state Normal (or first seen) -> Hot
    Cooled,       // Hot -> Normal
    StillHot,     // a reminder while Hot, every [Threshold] Reminder minutes (0: none)
    HealthWorse,  // health Good -> Caution -> Bad, or more reasons at the same state
    HealthBetter, // health back to a better state
    Lost,         // the drive's read failed, or it is gone from the drive list
    Readable,     // read again after Lost
    Test,         // sent from the settings dialog or kelvixd --test-notify
};

// "hot", "cooled", "still_hot", "health_worse", "health_better", "lost", "readable", "test".
const char* EventName(NotifyEventKind kind);

struct NotifyEvent {
    NotifyEventKind kind = NotifyEventKind::Test;
    unsigned driveNumber = 0;
    char model[64] = {};
    char serial[32] = {};
    std::uint8_t temperature = 0;  // last known, 0 = none
    DriveVerdict verdict;          // health, reasons and warning temperature of the new state
    HealthState previousHealth = HealthState::Unknown;  // the health before this event
    std::time_t time = 0;          // wall clock, seconds since 1970 (UTC)
    const char* program = "KELVIX";  // the program that sends it ("kelvixd")
};

// The test event from `program`: no drive, the wall time.
NotifyEvent MakeTestEvent(std::time_t now, const char* program = "KELVIX");

class EventWatch {
public:
    // The events between the last snapshot seen and `snapshot`, in drive order. The first
    // sight of a drive sets its baseline: only a drive already hot gives an event (the
    // health verdict keeps its own baseline across restarts, so a steady caution is not
    // told again at each start). `nowMs` is a monotonic clock for the reminders.
    std::vector<NotifyEvent> Update(const DriveSnapshot& snapshot, std::uint64_t nowMs, std::uint32_t reminderMinutes,
                                    std::time_t wallTime);
    // Forgets every drive: while notifications are off nothing is followed, so that the
    // first measurement after they are switched on tells a drive already hot.
    void Forget();

private:
    struct Known {
        bool used = false;
        char key[40] = {};  // the serial, or "#<drive number>" for a drive without one
        unsigned driveNumber = 0;
        char model[64] = {};
        char serial[32] = {};
        std::uint8_t temperature = 0;
        TemperatureState temperatureState = TemperatureState::Unknown;
        HealthState health = HealthState::Unknown;
        std::uint8_t reasonCount = 0;
        DriveVerdict verdict;
        DriveVerdict told;  // as the last event told it
        bool lost = false;
        bool seen = false;  // in the snapshot being looked at
        std::uint64_t hotSinceMs = 0;  // last hot event or reminder
    };
    Known* Find(const char* key);
    Known* Add(const char* key);
    Known known_[kMaxDrives * 2];
};
