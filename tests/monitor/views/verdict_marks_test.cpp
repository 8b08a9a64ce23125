// The viewer's marks: which attribute or NVMe health row each kind of reason colours, the
// worse severity where two reasons name one row, and the selector's health word.
#include "nvme_viewer_text.h"
#include "verdict_marks.h"
#include "viewer_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

HealthReason Reason(HealthReasonKind kind, HealthState severity, std::uint8_t id = 0)
{
    HealthReason reason;
    reason.kind = kind;
    reason.severity = severity;
    reason.attributeId = id;
    return reason;
}

TEST(MarkVerdict, EachReasonColoursItsOwnRow)
{
    constexpr HealthState C = HealthState::Caution, B = HealthState::Bad, N = HealthState::Unknown;
    struct Case {
        HealthReason reason;
        std::uint8_t attribute;  // the ATA row expected marked, 0 for none
        unsigned nvmeOffset;     // the NVMe field expected marked, 999 for none
    };
    const Case cases[] = {
        {Reason(HealthReasonKind::AttributeAtThreshold, B, 5), 5, 999},
        {Reason(HealthReasonKind::CountAboveZero, C, 197), 197, 999},
        {Reason(HealthReasonKind::CountIncreased, C, 199), 199, 999},
        {Reason(HealthReasonKind::CountIncreased, C, 0), 0, 160},  // NVMe media errors
        {Reason(HealthReasonKind::NvmeCriticalWarning, B), 0, 0},
        {Reason(HealthReasonKind::NvmeSpareLow, C), 0, 3},
        {Reason(HealthReasonKind::NvmePercentageUsed, B), 0, 5},
        {Reason(HealthReasonKind::DriveSaysFailing, B), 0, 999},  // no row of its own
        {Reason(HealthReasonKind::CountNotACount, HealthState::Good, 197), 197, 999},  // grey
        {Reason(HealthReasonKind::SelfTestFailed, B), 0, 999},  // the self-test rows show it
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.reason.kind));
        DriveVerdict verdict;
        verdict.health = c.reason.severity;
        verdict.reasonCount = 1;
        verdict.reasons[0] = c.reason;
        const VerdictMarks marks = MarkVerdict(verdict);
        for (unsigned id = 1; id < 256; ++id) {
            EXPECT_EQ(marks.attribute[id], id == c.attribute ? c.reason.severity : N) << "attribute " << id;
        }
        for (unsigned offset : {0u, 1u, 3u, 4u, 5u, 160u}) {
            EXPECT_EQ(MarkOfHealthField(marks, offset), offset == c.nvmeOffset ? c.reason.severity : N)
                << "field at " << offset;
        }
    }
}

TEST(MarkVerdict, TheWorseOfTwoReasonsAndNothingPastTheCount)
{
    DriveVerdict verdict;
    verdict.reasonCount = 2;
    verdict.reasons[0] = Reason(HealthReasonKind::AttributeAtThreshold, HealthState::Bad, 5);
    verdict.reasons[1] = Reason(HealthReasonKind::CountAboveZero, HealthState::Caution, 5);
    verdict.reasons[2] = Reason(HealthReasonKind::CountAboveZero, HealthState::Caution, 198);  // not counted
    const VerdictMarks marks = MarkVerdict(verdict);
    EXPECT_EQ(marks.attribute[5], HealthState::Bad);
    EXPECT_EQ(marks.attribute[198], HealthState::Unknown);
}

TEST(SelectorLines, ACautiousOrBadDriveEndsInItsHealthWord)
{
    auto drives = std::make_unique<DriveState>();
    drives->probeCount = 16;
    for (unsigned number : {0u, 1u, 2u, 3u}) {
        drives->table[number].present = 1;
        std::strcpy(drives->table[number].model, "M");
    }
    const std::uint8_t health[kMaxDrives] = {0, 1, 2, 3};
    const SelectorLines lines = BuildSelectorLines(*drives, health);
    ASSERT_EQ(lines.count, 4u);
    EXPECT_STREQ(lines.lines[0].text, "#0  M    ");
    EXPECT_STREQ(lines.lines[1].text, "#1  M    ");
    EXPECT_STREQ(lines.lines[2].text, "#2  M     [注意]");
    EXPECT_STREQ(lines.lines[3].text, "#3  M     [危険]");
}

TEST(HealthRows, EachRowKnowsItsField)
{
    auto record = std::make_unique<DriveRecord>();
    std::uint8_t page[512] = {};
    page[1] = 0x2C;  // 300 K composite
    page[2] = 0x01;
    record->healthResult = page;
    const HealthRows rows = BuildHealthRows(*record);
    ASSERT_GT(rows.count, 5u);
    EXPECT_EQ(rows.rows[0].offset, 0u);
    EXPECT_EQ(rows.rows[4].offset, 5u);
    EXPECT_STREQ(rows.rows[4].cells[0], "Percentage Used");
}

}  // namespace
