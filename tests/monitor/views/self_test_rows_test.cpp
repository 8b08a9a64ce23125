// The viewer's self-test rows: newest first, with the LBA of a failed test, no more than
// five, and one row for an empty or damaged log; none for a log never read.
#include "language.h"
#include "self_test_rows.h"

#include <gtest/gtest.h>

#include <string>

namespace {

SelfTestEntry Entry(SelfTestKind kind, SelfTestOutcome outcome, std::uint64_t hours, bool lba = false,
                    std::uint64_t at = 0)
{
    SelfTestEntry entry;
    entry.kind = kind;
    entry.outcome = outcome;
    entry.powerOnHours = hours;
    entry.lbaKnown = lba;
    entry.firstFailingLba = at;
    return entry;
}

std::string Lines(const SelfTestRows& rows)
{
    std::string text;
    for (unsigned i = 0; i < rows.count; ++i) {
        text += std::string(rows.rows[i].item) + " | " + rows.rows[i].value + "\n";
    }
    return text;
}

TEST(SelfTestRows, NewestFirstAtMostFive)
{
    SetProgramLanguage(Language::English);
    SelfTestLog never;
    EXPECT_EQ(BuildSelfTestRows(never).count, 0u);

    SelfTestLog empty;
    empty.read = empty.valid = true;
    EXPECT_EQ(Lines(BuildSelfTestRows(empty)), "Self-test 1 | none logged\n");
    SelfTestLog damaged;
    damaged.read = true;
    EXPECT_EQ(Lines(BuildSelfTestRows(damaged)), "Self-test 1 | the log is damaged (checksum)\n");

    SelfTestLog log;
    log.read = log.valid = true;
    log.entries[log.count++] = Entry(SelfTestKind::Extended, SelfTestOutcome::FailedRead, 250, true, 123456);
    log.entries[log.count++] = Entry(SelfTestKind::Short, SelfTestOutcome::Passed, 100);
    log.entries[log.count++] = Entry(SelfTestKind::Selective, SelfTestOutcome::Aborted, 90);
    log.entries[log.count++] = Entry(SelfTestKind::Other, SelfTestOutcome::Running, 80);
    log.entries[log.count++] = Entry(SelfTestKind::Conveyance, SelfTestOutcome::FailedSegment, 70);
    log.entries[log.count++] = Entry(SelfTestKind::Short, SelfTestOutcome::Passed, 60);
    EXPECT_EQ(Lines(BuildSelfTestRows(log)),
              "Self-test 1 | extended: read element failed (at 250 hours, first failing LBA 123456)\n"
              "Self-test 2 | short: passed (at 100 hours)\n"
              "Self-test 3 | selective: aborted by the host (at 90 hours)\n"
              "Self-test 4 | other: in progress (at 80 hours)\n"
              "Self-test 5 | conveyance: a segment failed (at 70 hours)\n");
    SetProgramLanguage(Language::Japanese);
    EXPECT_NE(Lines(BuildSelfTestRows(log)).find("自己診断 1"), std::string::npos);
}

}  // namespace
