// DriveVerdict: what one drive's last measurement means to the user, decided once after
// each measurement. Every output (tray, balloons, windows, report, exports, kelvixd's
// journal, notifications, MQTT) reads this and never decides again.
#pragma once

#include <cstddef>
#include <cstdint>

enum class TemperatureState : std::uint8_t {
    Unknown = 0,  // no temperature read yet, or the drive gives none
    Normal = 1,
    Hot = 2,      // above the drive's own warning temperature (with hysteresis)
    NotAnswering = 3,  // its reads fail: the last temperature is old, never current
};

enum class HealthState : std::uint8_t {
    Unknown = 0,  // nothing judged yet (no attributes or health log read)
    Good = 1,
    Caution = 2,
    Bad = 3,
};

// One fact behind a Caution or Bad verdict.
enum class HealthReasonKind : std::uint8_t {
    None = 0,
    AttributeAtThreshold,    // ATA pre-failure (Bad) or old-age (Caution) attribute `id`:
                             // normalised `to` at or below threshold `limit`
    DriveSaysFailing,        // S.M.A.R.T. RETURN STATUS: threshold exceeded
    CountAboveZero,          // ATA 5/197/198: raw count `to` above zero
    CountIncreased,          // ATA 5/187/188/197/198/199 (or NVMe media errors, id 0):
                             // raw count from `from` to `to` since the last reading
    NvmeCriticalWarning,     // critical-warning bits `to`
    NvmePercentageUsed,      // percentage used `to` (Bad at 100, Caution at 90)
    NvmeSpareLow,            // available spare `to` near or below threshold `limit`
    CountNotACount,          // ATA count `id`: raw `to` (last `from`) cannot be a count on
                             // this drive, so it is not judged; severity Good, never raises
    SelfTestFailed,          // the newest completed self-test failed (Bad): at `from`
                             // power-on hours, first failing LBA `to`; `limit` the outcome
                             // (SelfTestOutcome) plus kSelfTestLbaKnown when `to` is known
};

constexpr std::uint32_t kSelfTestLbaKnown = 0x100;

struct HealthReason {
    HealthReasonKind kind = HealthReasonKind::None;
    HealthState severity = HealthState::Unknown;  // Caution or Bad (Good: a note only)
    std::uint8_t attributeId = 0;                 // ATA attribute id; 0 for NVMe facts
    std::uint64_t from = 0;
    std::uint64_t to = 0;
    std::uint32_t limit = 0;
};

constexpr unsigned kMaxHealthReasons = 6;

// The ATA counts the health rules read, in this order (raw bytes as health_rules.h says).
constexpr unsigned kAtaCountIds = 6;
constexpr std::uint8_t kAtaCountIdList[kAtaCountIds] = {5, 187, 188, 197, 198, 199};

struct DriveVerdict {
    TemperatureState temperature = TemperatureState::Unknown;
    std::uint8_t warningTemperature = 0;  // this drive's own limit, degrees Celsius
    // While NotAnswering: when its reads began to fail, seconds since 1970 UTC (0: not known).
    std::int64_t notAnsweringSince = 0;
    HealthState health = HealthState::Unknown;
    std::uint8_t reasonCount = 0;         // reasons[0..reasonCount), worst first
    HealthReason reasons[kMaxHealthReasons];
    // The ATA counts of the last reading that was judged: bit i of countsKnown says
    // whether counts[i] (id kAtaCountIdList[i]) was read.
    std::uint8_t countsKnown = 0;
    std::uint64_t counts[kAtaCountIds] = {};
};

// Lower-case English names for machine-read outputs (JSON, metrics labels, MQTT, the
// journal): "unknown", "normal"/"hot"/"not_answering", "good"/"caution"/"bad".
const char* TemperatureStateName(TemperatureState state);
const char* HealthStateName(HealthState state);

// One reason as a short English sentence for machine-read outputs, e.g.
// "attribute 197 (current pending sectors) rose from 0 to 8". Always NUL-terminated;
// returns the length written (cut to fit `size`).
std::size_t FormatHealthReason(const HealthReason& reason, char* text, std::size_t size);
