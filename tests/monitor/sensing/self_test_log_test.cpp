// The self-test logs as tables: each ATA status nibble, the order and wrap of the 21
// descriptors by the index byte, an all-zero log, a checksum error, the extended log's
// pages and whole LBAs, and the NVMe page.
#include "self_test_log.h"
#include "self_test_reading.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct LoggedTest {
    std::uint8_t subcommand;
    std::uint8_t status;  // the whole status byte: nibble and percent remaining
    std::uint16_t hours;
    std::uint32_t lba;
};

// A log 06h whose descriptors `slots` hold `tests` (slot i gets tests[i]), index `index`,
// and a checksum that holds unless `badSum`.
std::vector<std::uint8_t> AtaLog(const std::vector<LoggedTest>& tests, unsigned index, bool badSum = false)
{
    std::vector<std::uint8_t> sector(kSelfTestLogSize, 0);
    sector[0] = 1;
    for (std::size_t i = 0; i < tests.size(); ++i) {
        std::uint8_t* d = sector.data() + 2 + i * 24;
        d[0] = tests[i].subcommand;
        d[1] = tests[i].status;
        d[2] = static_cast<std::uint8_t>(tests[i].hours);
        d[3] = static_cast<std::uint8_t>(tests[i].hours >> 8);
        std::memcpy(d + 5, &tests[i].lba, 4);  // little-endian hosts only
    }
    sector[508] = static_cast<std::uint8_t>(index);
    unsigned sum = 0;
    for (unsigned i = 0; i < kSelfTestLogSize - 1; ++i) {
        sum += sector[i];
    }
    sector[511] = static_cast<std::uint8_t>(0x100 - (sum & 0xFF) + (badSum ? 1 : 0));
    return sector;
}

// Hours of the entries, newest first: "30 20 10".
std::string HoursOf(const SelfTestLog& log)
{
    std::string text;
    for (unsigned i = 0; i < log.count; ++i) {
        text += (i ? " " : "") + std::to_string(log.entries[i].powerOnHours);
    }
    return text;
}

TEST(AtaSelfTestLog, EachStatusNibble)
{
    const struct {
        std::uint8_t nibble;
        SelfTestOutcome outcome;
        bool completed, failed;
    } cases[] = {
        {0, SelfTestOutcome::Passed, true, false},           {1, SelfTestOutcome::Aborted, false, false},
        {2, SelfTestOutcome::Interrupted, false, false},     {3, SelfTestOutcome::Fatal, true, true},
        {4, SelfTestOutcome::FailedUnknown, true, true},     {5, SelfTestOutcome::FailedElectrical, true, true},
        {6, SelfTestOutcome::FailedServo, true, true},       {7, SelfTestOutcome::FailedRead, true, true},
        {8, SelfTestOutcome::FailedHandling, true, true},    {9, SelfTestOutcome::Unknown, false, false},
        {14, SelfTestOutcome::Unknown, false, false},        {15, SelfTestOutcome::Running, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.nibble));
        const std::vector<std::uint8_t> sector = AtaLog({{0x02, static_cast<std::uint8_t>(c.nibble << 4 | 3), 1234,
                                                          c.failed ? 0x00ABCDEFu : 0u}},
                                                        1);
        const SelfTestLog log = DecodeAtaSelfTestLog(sector.data());
        ASSERT_TRUE(log.valid);
        ASSERT_EQ(log.count, 1u);
        const SelfTestEntry& e = log.entries[0];
        EXPECT_EQ(e.outcome, c.outcome);
        EXPECT_EQ(e.kind, SelfTestKind::Extended);
        EXPECT_EQ(e.remainingPercent, 30u);
        EXPECT_EQ(e.powerOnHours, 1234u);
        EXPECT_EQ(SelfTestCompleted(e.outcome), c.completed);
        EXPECT_EQ(SelfTestFailed(e.outcome), c.failed);
        EXPECT_EQ(e.lbaKnown, c.failed);
        EXPECT_EQ(e.firstFailingLba, c.failed ? 0x00ABCDEFu : 0u);
        EXPECT_EQ(NewestCompletedTest(log) != nullptr, c.completed);
    }
}

TEST(AtaSelfTestLog, OrderAndWrapByTheIndex)
{
    std::vector<LoggedTest> three = {{1, 0x00, 10, 0}, {1, 0x00, 20, 0}, {2, 0x00, 30, 0}};
    std::vector<LoggedTest> full;
    for (unsigned i = 0; i < 21; ++i) {
        // Slot i written last at hour 100 + i for i < 5 (the wrap), else at hour i.
        full.push_back({1, 0x00, static_cast<std::uint16_t>(i < 5 ? 100 + i : i), 0});
    }
    const struct {
        const char* why;
        std::vector<std::uint8_t> sector;
        std::string hours;
    } cases[] = {
        {"not yet wrapped: newest at the index, back to the first", AtaLog(three, 3), "30 20 10"},
        {"index 0: no test logged", AtaLog(three, 0), ""},
        {"index beyond 21: none", AtaLog(three, 22), ""},
        {"wrapped: from the index back round the end",
         AtaLog(full, 5),
         "104 103 102 101 100 20 19 18 17 16 15 14 13 12 11 10 9 8 7 6 5"},
        {"16 of 21 used: back to the first slot", AtaLog(std::vector<LoggedTest>(full.begin() + 5, full.end()), 16),
         "20 19 18 17 16 15 14 13 12 11 10 9 8 7 6 5"},
        {"index 21: the last slot is newest, then round from the first",
         AtaLog(full, 21),
         "20 19 18 17 16 15 14 13 12 11 10 9 8 7 6 5 104 103 102 101 100"},
    };
    for (const auto& c : cases) {
        const SelfTestLog log = DecodeAtaSelfTestLog(c.sector.data());
        EXPECT_TRUE(log.valid) << c.why;
        EXPECT_EQ(HoursOf(log), c.hours) << c.why;
    }
}

TEST(AtaSelfTestLog, TheNewestCompletedTestDecides)
{
    const struct {
        const char* why;
        std::vector<LoggedTest> tests;  // oldest first, index at the last
        int newestHours;          // -1: none
        bool failed;
    } cases[] = {
        {"a read failure", {{1, 0x00, 10, 0}, {2, 0x70, 20, 5000}}, 20, true},
        {"a pass after it clears it", {{2, 0x70, 20, 5000}, {1, 0x00, 30, 0}}, 30, false},
        {"an aborted test after a failure says nothing", {{2, 0x50, 20, 7}, {1, 0x10, 30, 0}}, 20, true},
        {"a test still running after a failure", {{2, 0x60, 20, 7}, {1, 0xF9, 30, 0}}, 20, true},
        {"only aborted tests", {{1, 0x10, 10, 0}, {1, 0x20, 20, 0}}, -1, false},
    };
    for (const auto& c : cases) {
        const std::vector<std::uint8_t> sector = AtaLog(c.tests, static_cast<unsigned>(c.tests.size()));
        const SelfTestLog log = DecodeAtaSelfTestLog(sector.data());
        const SelfTestEntry* newest = NewestCompletedTest(log);
        ASSERT_EQ(newest != nullptr, c.newestHours >= 0) << c.why;
        if (newest != nullptr) {
            EXPECT_EQ(newest->powerOnHours, static_cast<unsigned>(c.newestHours)) << c.why;
            EXPECT_EQ(SelfTestFailed(newest->outcome), c.failed) << c.why;
        }
    }
}

TEST(AtaSelfTestLog, AllZerosAndAChecksumError)
{
    const std::vector<std::uint8_t> zeros(kSelfTestLogSize, 0);
    const SelfTestLog empty = DecodeAtaSelfTestLog(zeros.data());
    EXPECT_TRUE(empty.read);
    EXPECT_TRUE(empty.valid) << "all zeros sum to zero: a log with no tests";
    EXPECT_EQ(empty.count, 0u);
    EXPECT_EQ(NewestCompletedTest(empty), nullptr);

    const std::vector<std::uint8_t> bad = AtaLog({{2, 0x70, 20, 5000}}, 1, true);
    const SelfTestLog corrupt = DecodeAtaSelfTestLog(bad.data());
    EXPECT_TRUE(corrupt.read);
    EXPECT_FALSE(corrupt.valid);
    EXPECT_EQ(corrupt.count, 0u);
    EXPECT_EQ(NewestCompletedTest(corrupt), nullptr) << "a failure in a corrupt log is not believed";
    EXPECT_FALSE(DecodeAtaSelfTestLog(nullptr).read);
}

// `pages` pages of log 07h: descriptor slot i (over all pages) gets tests[i], the index
// word in page 0, each page's checksum right but `badPage`'s.
std::vector<std::uint8_t> ExtendedLog(const std::vector<LoggedTest>& tests, unsigned pages, unsigned index,
                                      const std::vector<std::uint64_t>& lbas = {}, int badPage = -1)
{
    std::vector<std::uint8_t> log(pages * kSelfTestLogSize, 0);
    for (std::size_t i = 0; i < tests.size(); ++i) {
        std::uint8_t* d = log.data() + (i / 19) * kSelfTestLogSize + 4 + (i % 19) * 26;
        d[0] = tests[i].subcommand;
        d[1] = tests[i].status;
        d[2] = static_cast<std::uint8_t>(tests[i].hours);
        d[3] = static_cast<std::uint8_t>(tests[i].hours >> 8);
        const std::uint64_t lba = i < lbas.size() ? lbas[i] : tests[i].lba;
        std::memcpy(d + 5, &lba, 6);  // little-endian hosts only
    }
    log[2] = static_cast<std::uint8_t>(index);
    log[3] = static_cast<std::uint8_t>(index >> 8);
    for (unsigned p = 0; p < pages; ++p) {
        std::uint8_t* page = log.data() + p * kSelfTestLogSize;
        page[0] = 1;
        unsigned sum = 0;
        for (unsigned i = 0; i < kSelfTestLogSize - 1; ++i) {
            sum += page[i];
        }
        page[511] = static_cast<std::uint8_t>(0x100 - (sum & 0xFF) + (static_cast<int>(p) == badPage ? 1 : 0));
    }
    return log;
}

TEST(AtaExtendedSelfTestLog, PagesIndexAndWholeLbas)
{
    const std::vector<LoggedTest> three = {{1, 0x00, 10, 0}, {1, 0x00, 20, 0}, {2, 0x70, 30, 0}};
    std::vector<LoggedTest> wrapped;  // 2 pages, 40 tests: slots 0 and 1 written again at 100, 101
    for (unsigned i = 0; i < 38; ++i) {
        wrapped.push_back({1, 0x00, static_cast<std::uint16_t>(i < 2 ? 100 + i : i), 0});
    }
    std::vector<LoggedTest> twentyOne;  // 2 pages, not wrapped: hours 1 to 21
    for (unsigned i = 0; i < 21; ++i) {
        twentyOne.push_back({1, 0x00, static_cast<std::uint16_t>(i + 1), 0});
    }
    const struct {
        const char* why;
        std::vector<std::uint8_t> pages;
        unsigned pageCount;
        bool valid;
        std::string hours;
        std::uint64_t newestLba;  // of the newest entry, 0: none known
    } cases[] = {
        {"one page, newest at the index, its whole LBA", ExtendedLog(three, 1, 3, {0, 0, 0x123456789ABull}), 1, true,
         "30 20 10", 0x123456789ABull},
        {"index 0: no test logged, whatever the descriptors hold", ExtendedLog(wrapped, 2, 0), 2, true, "", 0},
        {"all zeros: no test logged", std::vector<std::uint8_t>(kSelfTestLogSize, 0), 1, true, "", 0},
        {"wrapped across the page boundary, 21 at most", ExtendedLog(wrapped, 2, 2), 2, true,
         "101 100 37 36 35 34 33 32 31 30 29 28 27 26 25 24 23 22 21 20 19", 0},
        {"newest in the second page, back into the first", ExtendedLog(twentyOne, 2, 21), 2, true,
         "21 20 19 18 17 16 15 14 13 12 11 10 9 8 7 6 5 4 3 2 1", 0},
        {"a bad checksum in the second page: not believed", ExtendedLog(three, 2, 3, {}, 1), 2, false, "", 0},
        {"an index beyond the pages read: not believed", ExtendedLog(three, 1, 20), 1, false, "", 0},
        {"a failed test without an LBA (all ones)", ExtendedLog(three, 1, 3, {0, 0, 0xFFFFFFFFFFFFull}), 1, true,
         "30 20 10", 0},
        {"more pages than are read: not read", ExtendedLog(three, kExtendedSelfTestPagesMax + 1, 3),
         kExtendedSelfTestPagesMax + 1, false, "", 0},
    };
    for (const auto& c : cases) {
        const SelfTestLog log = DecodeAtaExtendedSelfTestLog(c.pages.data(), c.pageCount);
        EXPECT_EQ(log.valid, c.valid) << c.why;
        EXPECT_EQ(HoursOf(log), c.hours) << c.why;
        EXPECT_EQ(log.count > 0 && log.entries[0].lbaKnown ? log.entries[0].firstFailingLba : 0, c.newestLba) << c.why;
    }
}

// IDENTIFY words 83, 84 and 87 as the drive gives them: the extended log is asked only
// with GPL and 48-bit addressing, each in a valid word.
TEST(AtaExtendedSelfTestLog, WhichDrivesAreAsked)
{
    const struct {
        const char* why;
        std::uint16_t word83, word84, word87;
        bool asked;
    } cases[] = {
        {"GPL in word 84, 48-bit", 0x4400, 0x4020, 0x0000, true},
        {"GPL in word 87, 48-bit", 0x4400, 0x0000, 0x4020, true},
        {"GPL without 48-bit addressing", 0x4000, 0x4020, 0x4020, false},
        {"48-bit without GPL", 0x4400, 0x4002, 0x4002, false},
        {"word 84 not valid (bits 15:14 11)", 0x4400, 0xC020, 0x0000, false},
        {"word 83 not valid (bits 15:14 00)", 0x0400, 0x4020, 0x4020, false},
    };
    for (const auto& c : cases) {
        std::uint8_t identify[512] = {};
        const auto put = [&identify](unsigned word, std::uint16_t value) {
            identify[2 * word] = static_cast<std::uint8_t>(value);
            identify[2 * word + 1] = static_cast<std::uint8_t>(value >> 8);
        };
        put(83, c.word83);
        put(84, c.word84);
        put(87, c.word87);
        EXPECT_EQ(KeepsGpLogs(identify), c.asked) << c.why;
    }
    EXPECT_FALSE(KeepsGpLogs(nullptr));
}

TEST(NvmeSelfTestLog, ResultsNewestFirstUntilAnUnusedOne)
{
    std::vector<std::uint8_t> page(kNvmeSelfTestLogSize, 0);
    const auto put = [&page](unsigned n, std::uint8_t status, std::uint8_t segment, std::uint8_t valid,
                             std::uint64_t hours, std::uint64_t lba) {
        std::uint8_t* r = page.data() + 4 + n * 28;
        r[0] = status;
        r[1] = segment;
        r[2] = valid;
        std::memcpy(r + 4, &hours, 8);
        std::memcpy(r + 16, &lba, 8);
    };
    put(0, 0x27, 3, 0x02, 900, 123456789);  // extended, segment 3 failed, LBA valid
    put(1, 0x10, 0, 0, 800, 0);             // short, passed
    put(2, 0x15, 0, 0, 700, 0);             // short, fatal
    put(3, 0x26, 0, 0x00, 600, 99);         // unknown segment, LBA not valid
    put(4, 0x11, 0, 0, 500, 0);             // aborted by a Device Self-test command
    put(5, 0x12, 0, 0, 400, 0);             // aborted by a reset
    put(6, 0x1F, 0, 0, 300, 0);             // unused: the end
    put(7, 0x10, 0, 0, 200, 0);
    page[0] = 0xF2;  // an extended test runs (bits 7:4 reserved)
    page[1] = 0xA5;  // 37 % done (bit 7 reserved)
    const SelfTestLog log = DecodeNvmeSelfTestLog(page.data());
    ASSERT_TRUE(log.valid);
    EXPECT_EQ(log.currentOperation, 2u);
    EXPECT_EQ(log.currentCompletion, 37u);
    EXPECT_EQ(HoursOf(log), "900 800 700 600 500 400");
    const struct {
        SelfTestKind kind;
        SelfTestOutcome outcome;
        unsigned segment;
        bool lbaKnown;
        std::uint64_t lba;
    } expected[] = {
        {SelfTestKind::Extended, SelfTestOutcome::FailedSegment, 3, true, 123456789},
        {SelfTestKind::Short, SelfTestOutcome::Passed, 0, false, 0},
        {SelfTestKind::Short, SelfTestOutcome::Fatal, 0, false, 0},
        {SelfTestKind::Extended, SelfTestOutcome::FailedSegment, 0, false, 0},
        {SelfTestKind::Short, SelfTestOutcome::Aborted, 0, false, 0},
        {SelfTestKind::Short, SelfTestOutcome::Interrupted, 0, false, 0},
    };
    for (unsigned i = 0; i < std::size(expected); ++i) {
        const SelfTestEntry& e = log.entries[i];
        EXPECT_EQ(e.kind, expected[i].kind) << i;
        EXPECT_EQ(e.outcome, expected[i].outcome) << i;
        EXPECT_EQ(e.segment, expected[i].segment) << i;
        EXPECT_EQ(e.lbaKnown, expected[i].lbaKnown) << i;
        EXPECT_EQ(e.firstFailingLba, expected[i].lba) << i;
    }
    EXPECT_EQ(NewestCompletedTest(log), &log.entries[0]);
    std::fill(page.begin(), page.end(), 0);
    put(0, 0x0F, 0, 0, 0, 0);
    EXPECT_EQ(DecodeNvmeSelfTestLog(page.data()).count, 0u) << "no test ever run";
}

}  // namespace

// The status byte over successive reads: a test that ran and stopped running has ended
// (its result is in the log, read at once); a read without data changes nothing.
TEST(SelfTestEnd, AnEndIsARunningReadFollowedByAStoppedOne)
{
    struct Read {
        bool data;
        std::uint8_t status;  // SMART READ DATA byte 363
        bool ended;
    };
    const Read reads[] = {
        {true, 0x00, false},  // idle
        {true, 0xF6, false},  // running, 60 % left
        {false, 0, false},    // no data this time
        {true, 0xF2, false},  // still running
        {true, 0x00, true},   // passed: ended
        {true, 0x00, false},  // idle again
        {true, 0xF9, false},
        {true, 0x70, true},   // read element failed: ended
    };
    std::uint8_t wasRunning = 0;
    std::vector<std::uint8_t> attributes(510, 0);
    for (std::size_t i = 0; i < std::size(reads); ++i) {
        attributes[kSelfTestStatusOffset - 2] = reads[i].status;
        EXPECT_EQ(SelfTestJustEnded(wasRunning, reads[i].data ? attributes.data() : nullptr), reads[i].ended) << "read " << i;
    }
}
