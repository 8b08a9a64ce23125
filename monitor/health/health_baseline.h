// What the health verdict remembers of a drive between readings and across restarts: the
// counts of the last reading, a rise the user has not yet accepted, the counts the user
// accepted, and the health state last reported. Kept in KELVIX.INI's [Health] section
// beside the worst temperatures, under the same model:firmware:serial key.
#pragma once

#include "drive_verdict.h"

#include <cstddef>
#include <cstdint>

// The counts a rise of is reported: ATA 5, 187, 188, 197, 198, 199 and the NVMe media and
// data integrity errors (slot 6, attribute id 0 in reasons).
constexpr unsigned kCountSlots = 7;
constexpr std::uint8_t kCountIds[kCountSlots] = {5, 187, 188, 197, 198, 199, 0};
constexpr unsigned kNvmeMediaSlot = 6;
static_assert(kNvmeMediaSlot == kAtaCountIds, "the ATA counts come first, as in the verdict");

struct CountBaseline {
    bool known = false;       // `last` holds a reading
    std::uint64_t last = 0;   // the count of the last reading
    bool rising = false;      // it rose from `since`, not yet accepted
    std::uint64_t since = 0;
    bool accepted = false;    // the user silenced the caution at `acceptedAt`
    std::uint64_t acceptedAt = 0;
};

struct HealthBaseline {
    HealthState reported = HealthState::Unknown;  // the state the user was last told
    CountBaseline counts[kCountSlots];
};

// The slot of an attribute id, or kCountSlots when it is no counted id.
unsigned CountSlotOf(std::uint8_t attributeId);

// "caution 5:8 197:8<0 199:3=3": the state, then slot id ("m" for NVMe media errors),
// last count, "<" the count it rose from, "=" the count accepted. Always NUL-terminated.
std::size_t FormatBaseline(const HealthBaseline& baseline, char* text, std::size_t size);
// False (and `baseline` reset) for text that is not such a line.
bool ParseBaseline(const char* text, HealthBaseline& baseline);

// Where baselines live: KELVIX.INI natively and on Windows, the state folder's copy for
// kelvixd; a test keeps them in memory.
class BaselineStore {
public:
    virtual ~BaselineStore() = default;
    virtual bool Load(const char* key, HealthBaseline& baseline) = 0;
    virtual void Save(const char* key, const HealthBaseline& baseline) = 0;
};

// The [Health] section of the settings file (kSettingsFile in the current folder, or the
// Windows directory through the profile functions).
class IniBaselineStore : public BaselineStore {
public:
    bool Load(const char* key, HealthBaseline& baseline) override;
    void Save(const char* key, const HealthBaseline& baseline) override;
};
