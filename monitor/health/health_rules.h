// The health rules, applied to one reading of a drive. ATA: the attribute and threshold
// tables the drive gave, its own overall verdict (RETURN STATUS) where asked, and the
// counts of bad sectors and errors; NVMe: the SMART / Health Information log page.
#pragma once

#include "drive_verdict.h"
#include "health_baseline.h"
#include "return_status.h"
#include "self_test_log.h"

#include <cstdint>

// How many low raw bytes (little-endian) of each counted attribute hold the count.
// 5, 197, 198: the low four bytes (some drives keep other values in the top two);
// 187, 199: the low four; 188: the low two (some drives pack three 16-bit counters into
// the six bytes). 0: the model uses the id for something else, it is not read.
struct CountLayout {
    std::uint8_t bytes[kCountSlots] = {4, 4, 2, 4, 4, 4, 0};
};

// A drive database line may end in "counts=ID:BYTES,ID:BYTES" after the temperature id
// ("SomeLaptopDisk = 194 counts=197:2,198:2,199:2"; "ID:0" leaves the id unread).
// Applies what `valueText` says over `layout`; unknown ids and junk are ignored.
void ApplyCountOverrides(const char* valueText, CountLayout& layout);

// What the rules need of one reading of a drive.
struct AtaReading {
    const std::uint8_t* attributes = nullptr;  // the 30 12-byte entries (data byte 2 on)
    const std::uint8_t* thresholds = nullptr;  // the same for thresholds; may be null
    ReturnStatus returnStatus = ReturnStatus::NotAsked;
    CountLayout layout;
    std::uint64_t sectors = 0;  // the drive's user sectors (IDENTIFY), 0 when not known
    const SelfTestLog* selfTests = nullptr;  // the drive's self-test log, if read
};

// A raw value that cannot be a count on its drive is not judged: more than the drive's
// sectors (for 5, more than a spare area of 1/kSpareShare of them could hold), or a rise
// of kImplausibleRise or more since the last reading.
constexpr std::uint64_t kSpareShare = 100;
constexpr std::uint64_t kImplausibleRise = 1000000;
bool CountCannotBe(std::uint8_t id, std::uint64_t value, const CountBaseline& last, std::uint64_t sectors);

// Adds a reason to a verdict: reasons stay worst first and the health state is the worst
// reason's (Good when none); a reason beyond kMaxHealthReasons is dropped, its severity
// still counts.
void AddReason(DriveVerdict& verdict, const HealthReason& reason);

// One reading's health. The verdict's health and reasons are set (Good when nothing is
// wrong); `baseline` counts move on to this reading. Returns whether a count rose now
// above what was known (the user hears of each rise once).
bool JudgeAta(const AtaReading& reading, HealthBaseline& baseline, DriveVerdict& verdict);
// `log`: the 512-byte NVMe health log page; `selfTests` its self-test log, if read.
bool JudgeNvme(const std::uint8_t* log, HealthBaseline& baseline, DriveVerdict& verdict,
               const SelfTestLog* selfTests = nullptr);

// The drive's own self-tests: the newest completed one failed makes the drive Bad (one
// that passed after a failure clears it; aborted and running tests say nothing).
void JudgeSelfTests(const SelfTestLog* log, DriveVerdict& verdict);

// The user has seen the caution: counts as they are now give no caution any more, only
// a further rise does.
void AcceptCounts(HealthBaseline& baseline);
