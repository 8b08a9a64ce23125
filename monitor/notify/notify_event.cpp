#include "notify_event.h"

#include <cstdio>
#include <cstring>

namespace {

template <std::size_t Size>
void CopyText(char (&destination)[Size], const char* source)
{
    std::size_t length = 0;
    while (length < Size - 1 && source[length] != '\0') {
        ++length;
    }
    std::memcpy(destination, source, length);
    destination[length] = '\0';
}

void KeyOf(const DriveSnapshotEntry& drive, char (&key)[40])
{
    if (drive.serial[0] != '\0') {
        CopyText(key, drive.serial);
    } else {
        std::snprintf(key, sizeof key, "#%u", drive.driveNumber);
    }
}

bool Readable(DriveCondition condition)
{
    return condition != DriveCondition::ReadFailed;
}

// A count risen to a value the last verdict did not already say it rose to.
bool HasNewRise(const DriveVerdict& now, const DriveVerdict& before)
{
    for (unsigned r = 0; r < now.reasonCount && r < kMaxHealthReasons; ++r) {
        const HealthReason& reason = now.reasons[r];
        if (reason.kind != HealthReasonKind::CountIncreased) {
            continue;
        }
        bool told = false;
        for (unsigned b = 0; b < before.reasonCount && b < kMaxHealthReasons; ++b) {
            const HealthReason& old = before.reasons[b];
            told = told || (old.kind == reason.kind && old.attributeId == reason.attributeId && old.to == reason.to);
        }
        if (!told) {
            return true;
        }
    }
    return false;
}

// A count that rose is told from the value the last event told, not from the baseline
// the verdict counts from; a rise already told keeps the words it was told in.
void FromLastTold(DriveVerdict& now, const DriveVerdict& told)
{
    for (unsigned r = 0; r < now.reasonCount && r < kMaxHealthReasons; ++r) {
        HealthReason& reason = now.reasons[r];
        for (unsigned b = 0; b < told.reasonCount && b < kMaxHealthReasons; ++b) {
            const HealthReason& old = told.reasons[b];
            if (reason.kind != HealthReasonKind::CountIncreased || old.kind != reason.kind ||
                old.attributeId != reason.attributeId) {
                continue;
            }
            if (old.to == reason.to) {
                reason.from = old.from;
            } else if (old.to < reason.to && old.to > reason.from) {
                reason.from = old.to;
            }
        }
    }
}

}  // namespace

const char* EventName(NotifyEventKind kind)
{
    switch (kind) {
    case NotifyEventKind::Hot: return "hot";
    case NotifyEventKind::Cooled: return "cooled";
    case NotifyEventKind::StillHot: return "still_hot";
    case NotifyEventKind::HealthWorse: return "health_worse";
    case NotifyEventKind::HealthBetter: return "health_better";
    case NotifyEventKind::Lost: return "lost";
    case NotifyEventKind::Readable: return "readable";
    case NotifyEventKind::Test: return "test";
    }
    return "unknown";
}

NotifyEvent MakeTestEvent(std::time_t now, const char* program)
{
    NotifyEvent event;
    event.kind = NotifyEventKind::Test;
    event.time = now;
    event.program = program;
    return event;
}

void EventWatch::Forget()
{
    for (Known& known : known_) {
        known = Known();
    }
}

EventWatch::Known* EventWatch::Find(const char* key)
{
    for (Known& known : known_) {
        if (known.used && std::strcmp(known.key, key) == 0) {
            return &known;
        }
    }
    return nullptr;
}

EventWatch::Known* EventWatch::Add(const char* key)
{
    Known* free = nullptr;
    for (Known& known : known_) {
        if (!known.used) {
            free = &known;
            break;
        }
        if (free == nullptr && known.lost && !known.seen) {
            free = &known;  // a drive long gone makes room
        }
    }
    if (free != nullptr) {
        *free = Known();
        free->used = true;
        CopyText(free->key, key);
    }
    return free;
}

std::vector<NotifyEvent> EventWatch::Update(const DriveSnapshot& snapshot, std::uint64_t nowMs,
                                            std::uint32_t reminderMinutes, std::time_t wallTime)
{
    std::vector<NotifyEvent> events;
    if (!snapshot.taken) {
        return events;
    }
    const auto emit = [&events, wallTime](Known& known, NotifyEventKind kind) {
        NotifyEvent event;
        event.kind = kind;
        event.driveNumber = known.driveNumber;
        CopyText(event.model, known.model);
        CopyText(event.serial, known.serial);
        event.temperature = known.temperature;
        event.verdict = known.verdict;
        if (kind == NotifyEventKind::Lost) {
            // Its last value is old news: a lost drive has no current temperature.
            event.temperature = 0;
            event.verdict.temperature = TemperatureState::NotAnswering;
        }
        FromLastTold(event.verdict, known.told);
        known.told = event.verdict;
        event.previousHealth = known.health;
        event.time = wallTime;
        events.push_back(event);
    };
    for (Known& known : known_) {
        known.seen = false;
    }
    const std::uint64_t reminderMs = static_cast<std::uint64_t>(reminderMinutes) * 60000;
    const unsigned count = snapshot.count < kMaxDrives ? snapshot.count : kMaxDrives;
    for (unsigned i = 0; i < count; ++i) {
        const DriveSnapshotEntry& drive = snapshot.drives[i];
        char key[40];
        KeyOf(drive, key);
        Known* known = Find(key);
        const bool first = known == nullptr;
        if (first && (known = Add(key)) == nullptr) {
            continue;  // more drives than ever fit: not followed
        }
        known->seen = true;
        known->driveNumber = drive.driveNumber;
        CopyText(known->model, drive.model);
        CopyText(known->serial, drive.serial);
        if (drive.temperature != 0) {
            known->temperature = drive.temperature;
        }
        const DriveVerdict& verdict = drive.verdict;
        const DriveVerdict previous = known->verdict;
        known->verdict = verdict;

        if (!Readable(drive.condition)) {
            if (!known->lost) {
                emit(*known, NotifyEventKind::Lost);
            }
            known->lost = true;
            continue;  // the verdict of a failed read is the older one: nothing else changed
        }
        if (known->lost) {
            known->lost = false;
            emit(*known, NotifyEventKind::Readable);
        }

        // Temperature: only a known state changes anything (Unknown keeps the last one).
        if (verdict.temperature == TemperatureState::Hot && known->temperatureState != TemperatureState::Hot) {
            emit(*known, NotifyEventKind::Hot);
            known->hotSinceMs = nowMs;
        } else if (verdict.temperature == TemperatureState::Normal && known->temperatureState == TemperatureState::Hot) {
            emit(*known, NotifyEventKind::Cooled);
        } else if (verdict.temperature == TemperatureState::Hot && reminderMs != 0 &&
                   nowMs - known->hotSinceMs >= reminderMs) {
            emit(*known, NotifyEventKind::StillHot);
            known->hotSinceMs = nowMs;
        }
        if (verdict.temperature != TemperatureState::Unknown) {
            known->temperatureState = verdict.temperature;
        }

        // Health: worse or better by state; at the same bad state, new reasons are news
        // (a count that rose again).
        if (verdict.health != HealthState::Unknown) {
            const HealthState before = known->health;
            const bool hasNewRise = HasNewRise(verdict, previous);
            if (!first && before != HealthState::Unknown) {
                NotifyEvent* added = nullptr;
                if (verdict.health > before || (verdict.health == before && verdict.health != HealthState::Good &&
                                                hasNewRise)) {
                    emit(*known, NotifyEventKind::HealthWorse);
                    added = &events.back();
                } else if (verdict.health < before) {
                    emit(*known, NotifyEventKind::HealthBetter);
                    added = &events.back();
                }
                if (added != nullptr) {
                    added->previousHealth = before;
                }
            }
            known->health = verdict.health;
        }
    }
    // A drive gone from the list is lost once, and readable again when it comes back.
    for (Known& known : known_) {
        if (known.used && !known.seen && !known.lost) {
            emit(known, NotifyEventKind::Lost);
            known.lost = true;
        }
    }
    return events;
}
