// The drive verdict's rules as tables: the temperature limits and their hysteresis, the
// ATA and NVMe health rules, and the baselines kept across restarts.
#include "drive_judge.h"
#include "health_rules.h"
#include "smart_records.h"
#include "temperature_rule.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

struct Attribute {
    std::uint8_t id;
    bool preFailure;
    std::uint8_t value;
    std::uint64_t raw;
    std::uint8_t threshold;
};

// The attribute and threshold tables a drive gives, from data byte 2 on.
struct AtaTables {
    std::uint8_t attributes[kSmartEntryCount * kSmartEntrySize] = {};
    std::uint8_t thresholds[kSmartEntryCount * kSmartEntrySize] = {};

    AtaTables(std::initializer_list<Attribute> list)
    {
        unsigned i = 0;
        for (const Attribute& a : list) {
            std::uint8_t* entry = attributes + i * kSmartEntrySize;
            entry[0] = a.id;
            entry[1] = a.preFailure ? 1 : 0;
            entry[3] = a.value;
            entry[4] = a.value;
            for (unsigned b = 0; b < kSmartRawSize; ++b) {
                entry[kSmartRawOffset + b] = static_cast<std::uint8_t>(a.raw >> (8 * b));
            }
            thresholds[i * kSmartEntrySize] = a.id;
            thresholds[i * kSmartEntrySize + 1] = a.threshold;
            ++i;
        }
    }
};

std::string Reasons(const DriveVerdict& verdict)
{
    std::string text = HealthStateName(verdict.health);
    for (unsigned i = 0; i < verdict.reasonCount; ++i) {
        char line[160];
        FormatHealthReason(verdict.reasons[i], line, sizeof line);
        text += " | ";
        text += line;
    }
    return text;
}

TEST(TemperatureRule, EachKindHasItsOwnLimitAndAHotDriveCoolsThreeDegreesBelow)
{
    const WarningLimits user{45, 0};
    EXPECT_EQ(DriveWarningTemperature(DriveKind::Ata, 0, user), 45u);
    EXPECT_EQ(DriveWarningTemperature(DriveKind::Property, 0, user), 45u);
    EXPECT_EQ(DriveWarningTemperature(DriveKind::Nvme, 85, user), 80u) << "5 below its own";
    EXPECT_EQ(DriveWarningTemperature(DriveKind::Nvme, 0, user), 70u) << "none reported";
    EXPECT_EQ(DriveWarningTemperature(DriveKind::Nvme, 85, WarningLimits{45, 60}), 60u) << "the user's NVMe limit";
    const struct {
        bool wasHot;
        unsigned temperature, limit;
        bool hot;
    } cases[] = {
        {false, 50, 50, false}, {false, 51, 50, true}, {true, 48, 50, true}, {true, 47, 50, false},
        {true, 0, 50, true},    {false, 99, 0, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NextHot(c.wasHot, c.temperature, c.limit), c.hot) << c.wasHot << " " << c.temperature << "/" << c.limit;
    }
}

TEST(AtaHealth, ThresholdsCountsAndTheDrivesOwnVerdict)
{
    const struct {
        const char* why;
        AtaTables tables;
        ReturnStatus status;
        HealthState health;
        HealthReasonKind first;
    } cases[] = {
        {"healthy", {{1, true, 100, 0, 6}, {5, true, 100, 0, 36}, {194, false, 64, 36, 0}, {197, false, 100, 0, 0}},
         ReturnStatus::Passed, HealthState::Good, HealthReasonKind::None},
        {"pre-failure at threshold", {{5, true, 36, 0, 36}}, ReturnStatus::NotAsked, HealthState::Bad,
         HealthReasonKind::AttributeAtThreshold},
        {"old-age below threshold", {{9, false, 10, 0, 20}}, ReturnStatus::NotAsked, HealthState::Caution,
         HealthReasonKind::AttributeAtThreshold},
        {"threshold 0 never judges", {{1, true, 1, 0, 0}}, ReturnStatus::NotAsked, HealthState::Good,
         HealthReasonKind::None},
        {"value 254 is not a value", {{1, true, 254, 0, 254}}, ReturnStatus::NotAsked, HealthState::Good,
         HealthReasonKind::None},
        {"reallocated", {{5, true, 100, 8, 36}}, ReturnStatus::NotAsked, HealthState::Caution,
         HealthReasonKind::CountAboveZero},
        {"pending", {{197, false, 100, 1, 0}}, ReturnStatus::NotAsked, HealthState::Caution,
         HealthReasonKind::CountAboveZero},
        {"offline uncorrectable", {{198, false, 100, 2, 0}}, ReturnStatus::NotAsked, HealthState::Caution,
         HealthReasonKind::CountAboveZero},
        {"steady CRC errors are no caution", {{199, false, 200, 3, 0}}, ReturnStatus::NotAsked,
         HealthState::Good, HealthReasonKind::None},
        {"timeouts packed above the low two bytes", {{188, false, 100, 0x0001000100000000ull, 0}},
         ReturnStatus::NotAsked, HealthState::Good, HealthReasonKind::None},
        {"pending count in the low four bytes only", {{197, false, 100, 0x050000000000ull, 0}},
         ReturnStatus::NotAsked, HealthState::Good, HealthReasonKind::None},
        {"the drive says it fails", {{5, true, 100, 0, 36}}, ReturnStatus::Failing, HealthState::Bad,
         HealthReasonKind::DriveSaysFailing},
    };
    for (const auto& c : cases) {
        AtaReading reading;
        reading.attributes = c.tables.attributes;
        reading.thresholds = c.tables.thresholds;
        reading.returnStatus = c.status;
        HealthBaseline baseline;
        DriveVerdict verdict;
        EXPECT_FALSE(JudgeAta(reading, baseline, verdict)) << c.why << ": a first reading is no rise";
        EXPECT_EQ(verdict.health, c.health) << c.why << ": " << Reasons(verdict);
        EXPECT_EQ(verdict.reasons[0].kind, c.first) << c.why << ": " << Reasons(verdict);
    }
}

TEST(AtaHealth, EachCountedIdRisingIsACautionUntilAccepted)
{
    for (const std::uint8_t id : kAtaCountIdList) {
        HealthBaseline baseline;
        DriveVerdict verdict;
        const auto judge = [&](std::uint64_t raw) {
            AtaTables tables{{id, false, 100, raw, 0}};
            AtaReading reading;
            reading.attributes = tables.attributes;
            reading.thresholds = tables.thresholds;
            return JudgeAta(reading, baseline, verdict);
        };
        const bool countsAboveZero = id == 5 || id == 197 || id == 198;
        EXPECT_FALSE(judge(0));
        EXPECT_EQ(verdict.health, HealthState::Good) << int(id);
        EXPECT_TRUE(judge(2)) << int(id);
        EXPECT_EQ(verdict.health, HealthState::Caution) << int(id);
        EXPECT_EQ(verdict.reasons[0].kind, HealthReasonKind::CountIncreased) << int(id);
        EXPECT_EQ(verdict.reasons[0].from, 0u) << int(id);
        EXPECT_EQ(verdict.reasons[0].to, 2u) << int(id);
        EXPECT_FALSE(judge(2)) << int(id) << ": steady";
        EXPECT_EQ(verdict.health, HealthState::Caution) << int(id) << ": until the user accepts it";
        AcceptCounts(baseline);
        EXPECT_FALSE(judge(2)) << int(id);
        EXPECT_EQ(verdict.health, HealthState::Good) << int(id) << ": accepted" << Reasons(verdict);
        EXPECT_TRUE(judge(3)) << int(id);
        EXPECT_EQ(verdict.health, HealthState::Caution) << int(id) << ": a further rise";
        EXPECT_EQ(verdict.reasons[0].from, 2u) << int(id);
        (void)countsAboveZero;
    }
}

TEST(AtaHealth, TheDriveDatabaseSaysWhichRawBytesHoldACount)
{
    CountLayout layout;
    ApplyCountOverrides("194 counts=197:2,5:0,199:9,junk", layout);
    EXPECT_EQ(layout.bytes[CountSlotOf(197)], 2);
    EXPECT_EQ(layout.bytes[CountSlotOf(5)], 0) << "id 5 not read";
    EXPECT_EQ(layout.bytes[CountSlotOf(199)], 4) << "9 bytes is no layout";
    AtaTables tables{{5, true, 100, 77, 36}, {197, false, 100, 0x00FF0000, 0}};
    AtaReading reading;
    reading.attributes = tables.attributes;
    reading.thresholds = tables.thresholds;
    reading.layout = layout;
    HealthBaseline baseline;
    DriveVerdict verdict;
    JudgeAta(reading, baseline, verdict);
    EXPECT_EQ(verdict.health, HealthState::Good) << Reasons(verdict);
}

// One letter a reading: G good with no reason, N good with only the "cannot judge" note,
// C caution, B bad.
TEST(AtaHealth, ACountThatCannotBeIsNotedAndNotJudged)
{
    const struct {
        const char* why;
        std::uint8_t id;
        std::uint64_t sectors;
        ReturnStatus status;
        std::vector<std::uint64_t> raws;
        const char* health;
    } cases[] = {
        {"pending above the drive's sectors", 197, 1000000, ReturnStatus::NotAsked, {4246863874ull}, "N"},
        {"pending up to the drive's sectors is judged", 197, 1000, ReturnStatus::NotAsked, {1000}, "C"},
        {"offline uncorrectable above the sectors", 198, 500, ReturnStatus::NotAsked, {501, 0}, "NG"},
        {"reallocated above a spare area of 1/100", 5, 1000000, ReturnStatus::NotAsked, {10001}, "N"},
        {"reallocated within it is judged", 5, 1000000, ReturnStatus::NotAsked, {10000}, "C"},
        {"no sectors known: judged", 197, 0, ReturnStatus::NotAsked, {4246863874ull}, "C"},
        {"a jump by a million, then back", 199, 0, ReturnStatus::NotAsked, {3, 1000003, 3}, "GNG"},
        {"a rise just under a million is a rise", 199, 0, ReturnStatus::NotAsked, {3, 1000002}, "GC"},
        {"one that stays up stays unjudged", 187, 0, ReturnStatus::NotAsked, {0, 5000000, 5000000}, "GNN"},
        {"the note never hides a bad drive", 197, 100, ReturnStatus::Failing, {101}, "B"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        HealthBaseline baseline;
        DriveVerdict verdict;
        std::string health;
        for (const std::uint64_t raw : c.raws) {
            AtaTables tables{{c.id, false, 100, raw, 0}};
            AtaReading reading;
            reading.attributes = tables.attributes;
            reading.thresholds = tables.thresholds;
            reading.returnStatus = c.status;
            reading.sectors = c.sectors;
            const bool rose = JudgeAta(reading, baseline, verdict);
            const unsigned slot = CountSlotOf(c.id);
            bool noted = false;
            for (unsigned r = 0; r < verdict.reasonCount; ++r) {
                const HealthReason& reason = verdict.reasons[r];
                if (reason.kind == HealthReasonKind::CountNotACount) {
                    noted = true;
                    EXPECT_EQ(reason.severity, HealthState::Good);
                    EXPECT_EQ(reason.attributeId, c.id);
                    EXPECT_EQ(reason.to, raw);
                    EXPECT_EQ(r + 1, verdict.reasonCount) << "the note comes last";
                    EXPECT_FALSE(rose) << "no rise is told of a value that is not a count";
                    EXPECT_EQ(verdict.countsKnown & (1u << slot), 0u) << "nor is it exported as a count";
                    char text[160];
                    FormatHealthReason(reason, text, sizeof text);
                    EXPECT_EQ(std::string(text), "cannot judge attribute " + std::to_string(c.id) +
                                                     " (its raw value is not a count on this drive)");
                }
            }
            const HealthState state = verdict.health;
            health += state == HealthState::Bad       ? 'B'
                      : state == HealthState::Caution ? 'C'
                      : state != HealthState::Good    ? '?'
                      : noted                         ? 'N'
                                                      : 'G';
        }
        EXPECT_EQ(health, c.health) << Reasons(verdict);
    }
}

TEST(NvmeHealth, CriticalBitsLifeSpareAndMediaErrors)
{
    const struct {
        std::uint8_t critical, spare, spareThreshold, used;
        std::uint64_t mediaErrors;
        HealthState health;
        HealthReasonKind first;
    } cases[] = {
        {0, 100, 10, 3, 0, HealthState::Good, HealthReasonKind::None},
        {0x01, 5, 10, 3, 0, HealthState::Bad, HealthReasonKind::NvmeCriticalWarning},
        {0x02, 100, 10, 3, 0, HealthState::Bad, HealthReasonKind::NvmeCriticalWarning},
        {0x04, 100, 10, 3, 0, HealthState::Bad, HealthReasonKind::NvmeCriticalWarning},
        {0x08, 100, 10, 3, 0, HealthState::Bad, HealthReasonKind::NvmeCriticalWarning},
        {0x10, 100, 10, 3, 0, HealthState::Bad, HealthReasonKind::NvmeCriticalWarning},
        {0x20, 100, 10, 3, 0, HealthState::Good, HealthReasonKind::None},
        {0, 100, 10, 100, 0, HealthState::Bad, HealthReasonKind::NvmePercentageUsed},
        {0, 100, 10, 90, 0, HealthState::Caution, HealthReasonKind::NvmePercentageUsed},
        {0, 100, 10, 89, 0, HealthState::Good, HealthReasonKind::None},
        {0, 20, 10, 3, 0, HealthState::Caution, HealthReasonKind::NvmeSpareLow},
        {0, 21, 10, 3, 0, HealthState::Good, HealthReasonKind::None},
        {0, 100, 10, 3, 5, HealthState::Good, HealthReasonKind::None},
    };
    for (const auto& c : cases) {
        std::uint8_t log[512] = {};
        log[0] = c.critical;
        log[3] = c.spare;
        log[4] = c.spareThreshold;
        log[5] = c.used;
        std::memcpy(log + 160, &c.mediaErrors, sizeof c.mediaErrors);
        HealthBaseline baseline;
        DriveVerdict verdict;
        JudgeNvme(log, baseline, verdict);
        EXPECT_EQ(verdict.health, c.health) << Reasons(verdict);
        EXPECT_EQ(verdict.reasons[0].kind, c.first) << Reasons(verdict);
        log[160] = static_cast<std::uint8_t>(c.mediaErrors + 1);
        EXPECT_TRUE(JudgeNvme(log, baseline, verdict)) << "media errors rose";
        EXPECT_GE(verdict.health, HealthState::Caution);
    }
}

TEST(HealthBaseline, TextRoundTripAndJunk)
{
    HealthBaseline baseline;
    baseline.reported = HealthState::Caution;
    baseline.counts[CountSlotOf(197)] = {true, 8, true, 0, false, 0};
    baseline.counts[CountSlotOf(199)] = {true, 3, false, 0, true, 3};
    baseline.counts[kNvmeMediaSlot] = {true, 12, false, 0, false, 0};
    char text[256];
    FormatBaseline(baseline, text, sizeof text);
    EXPECT_STREQ(text, "caution 197:8<0 199:3=3 m:12");
    HealthBaseline parsed;
    ASSERT_TRUE(ParseBaseline(text, parsed));
    char again[256];
    FormatBaseline(parsed, again, sizeof again);
    EXPECT_STREQ(again, text);
    for (const char* junk : {"", "fine", "good 5", "good 5:", "good 6:1", "good 5:1x", "good 5:99999999999999999999"}) {
        EXPECT_FALSE(ParseBaseline(junk, parsed)) << junk;
    }
}

class MemoryStore : public BaselineStore {
public:
    bool Load(const char* key, HealthBaseline& baseline) override
    {
        const auto found = lines.find(key);
        return found != lines.end() && ParseBaseline(found->second.c_str(), baseline);
    }
    void Save(const char* key, const HealthBaseline& baseline) override
    {
        char text[256];
        FormatBaseline(baseline, text, sizeof text);
        lines[key] = text;
    }
    std::map<std::string, std::string> lines;
};

// One ATA drive in slot 0 whose pending count the test sets.
struct PendingDrive {
    std::unique_ptr<DriveState> drives = std::make_unique<DriveState>();
    std::unique_ptr<AtaTables> held{new AtaTables{{194, false, 60, 40, 0}, {197, false, 100, 0, 0}}};
    AtaTables& tables = *held;

    PendingDrive()
    {
        drives->probeCount = 1;
        DriveRecord& record = drives->table[0];
        record.present = 1;
        record.currentTemperature = 40;
        std::strcpy(record.model, "TEST DISK");
        std::strcpy(record.serial, "S1");
        record.attributeResult = tables.attributes;
        record.thresholdResult = tables.thresholds;
    }
    void Pending(std::uint8_t count) { tables.attributes[kSmartEntrySize + kSmartRawOffset] = count; }
};

TEST(DriveJudge, OneChangePerRiseAndARestartNeitherRepeatsNorForgets)
{
    MemoryStore store;
    PendingDrive drive;
    const WarningLimits limits;
    {
        DriveJudge judge(&store);
        EXPECT_EQ(judge.Judge(*drive.drives, limits).count, 0u) << "a good drive is no news";
        EXPECT_EQ(judge.Verdict(0).health, HealthState::Good);
        EXPECT_EQ(judge.Verdict(0).warningTemperature, 40);
        drive.Pending(8);
        const VerdictChanges rose = judge.Judge(*drive.drives, limits);
        ASSERT_EQ(rose.count, 1u);
        EXPECT_TRUE(rose.items[0].worse);
        EXPECT_EQ(rose.items[0].from, HealthState::Good);
        EXPECT_EQ(rose.items[0].verdict.health, HealthState::Caution);
        EXPECT_EQ(judge.Judge(*drive.drives, limits).count, 0u) << "steady";
        drive.drives->table[0].sleeping = 1;
        drive.Pending(0);
        EXPECT_EQ(judge.Judge(*drive.drives, limits).count, 0u) << "a sleeping drive keeps its verdict";
        EXPECT_EQ(judge.Verdict(0).health, HealthState::Caution);
        drive.drives->table[0].sleeping = 0;
        drive.Pending(8);
    }
    {
        DriveJudge restarted(&store);
        EXPECT_EQ(restarted.Judge(*drive.drives, limits).count, 0u) << "a steady count after a restart";
        EXPECT_EQ(restarted.Verdict(0).health, HealthState::Caution);
        drive.Pending(9);
        EXPECT_EQ(restarted.Judge(*drive.drives, limits).count, 1u) << "a further rise is news again";
        restarted.AcceptCaution(0);
        const VerdictChanges accepted = restarted.Judge(*drive.drives, limits);
        ASSERT_EQ(accepted.count, 1u);
        EXPECT_FALSE(accepted.items[0].worse) << "recovered";
        EXPECT_EQ(restarted.Verdict(0).health, HealthState::Good);
    }
    DriveJudge again(&store);
    EXPECT_EQ(again.Judge(*drive.drives, limits).count, 0u);
    EXPECT_EQ(again.Verdict(0).health, HealthState::Good) << "the acceptance is kept";
}

TEST(DriveJudge, HotWithHysteresisAndNeverWhileAsleep)
{
    PendingDrive drive;
    DriveJudge judge(nullptr);
    const WarningLimits limits{45, 0};
    const struct {
        std::uint8_t temperature;
        bool sleeping;
        TemperatureState state;
    } steps[] = {
        {45, false, TemperatureState::Normal}, {46, false, TemperatureState::Hot}, {43, false, TemperatureState::Hot},
        {46, true, TemperatureState::Normal},  {42, false, TemperatureState::Normal},
    };
    for (const auto& step : steps) {
        drive.drives->table[0].currentTemperature = step.temperature;
        drive.drives->table[0].sleeping = step.sleeping ? 1 : 0;
        judge.Judge(*drive.drives, limits);
        EXPECT_EQ(judge.Verdict(0).temperature, step.state) << int(step.temperature) << " " << step.sleeping;
    }
}

}  // namespace
