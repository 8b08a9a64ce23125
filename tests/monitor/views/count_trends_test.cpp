// The counts' history in words, as the S.M.A.R.T. viewer shows it below the attributes.
#include "count_trends.h"

#include "language.h"

#include <gtest/gtest.h>

namespace {

constexpr std::int64_t kDay = 86400;
constexpr std::int64_t kOctober1 = 1790812800;  // 2026-10-01 00:00 UTC

class CountTrends : public ::testing::Test {
protected:
    void SetUp() override { SetProgramLanguage(Language::English); }
    void TearDown() override { SetProgramLanguage(Language::Japanese); }
};

std::vector<CountReading> Daily(std::int64_t start, std::vector<std::uint64_t> values)
{
    std::vector<CountReading> readings;
    for (std::size_t i = 0; i < values.size(); ++i) {
        readings.push_back({start + static_cast<std::int64_t>(i) * kDay, values[i]});
    }
    return readings;
}

TEST_F(CountTrends, EachStretchOfOneValueInWords)
{
    struct Row {
        const char* what;
        std::vector<CountReading> readings;
        std::int64_t utcOffset;
        const char* text;
    };
    const std::int64_t t = kOctober1;
    const Row rows[] = {
        {"steady", Daily(t, {0, 0, 0}), 0, "pending sectors: 0 since 2026-10-01"},
        {"one rise, with a gap before it", {{t, 0}, {t + 61 * kDay, 8}}, 0,
         "pending sectors: 0 until 2026-10-01, 8 since 2026-12-01"},
        {"a stretch between", Daily(t, {0, 0, 3, 3, 8}), 0,
         "pending sectors: 0 until 2026-10-02, 3 from 2026-10-03 to 2026-10-04, 8 since 2026-10-05"},
        {"local dates", {{t, 0}, {t + 61 * kDay, 8}}, -3600, "pending sectors: 0 until 2026-09-30, 8 since 2026-11-30"},
        {"within a day: times", {{t, 0}, {t + 60, 0}, {t + 120, 8}}, 9 * 3600,
         "pending sectors: 0 until 2026-10-01 09:01, 8 since 2026-10-01 09:02"},
        {"many changes: the first and the last three", Daily(t, {0, 1, 2, 3, 4, 5}), 0,
         "pending sectors: 0 until 2026-10-01, ..., 3 on 2026-10-04, 4 on 2026-10-05, 5 since 2026-10-06"},
        {"going down (a drive replaced under the same name)", Daily(t, {8, 8, 0}), 0,
         "pending sectors: 8 until 2026-10-02, 0 since 2026-10-03"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(CountTrendText("pending sectors", row.readings, row.utcOffset), row.text) << row.what;
    }
}

TEST_F(CountTrends, ALinePerCountThePointsHold)
{
    HistoryPoint ata;
    ata.time = kOctober1;
    ata.countsKnown = 0x09;  // attributes 5 and 197
    ata.counts[0] = 0;
    ata.counts[3] = 2;
    HistoryPoint later = ata;
    later.time += 2 * kDay;
    later.counts[3] = 8;
    EXPECT_EQ(CountTrendLines({ata, later}, 0),
              (std::vector<std::string>{"reallocated sectors: 0 since 2026-10-01",
                                        "pending sectors: 2 until 2026-10-01, 8 since 2026-10-03"}));
    HistoryPoint nvme;
    nvme.time = kOctober1;
    nvme.hasNvme = true;
    nvme.percentageUsed = 3;
    nvme.availableSpare = 100;
    nvme.mediaErrors = 0;
    EXPECT_EQ(CountTrendLines({nvme}, 0),
              (std::vector<std::string>{"percentage used: 3 since 2026-10-01 00:00",
                                        "available spare: 100 since 2026-10-01 00:00",
                                        "media errors: 0 since 2026-10-01 00:00"}));
    EXPECT_TRUE(CountTrendLines({HistoryPoint{}}, 0).empty());
}

TEST_F(CountTrends, NothingRecordedSaysNothing)
{
    EXPECT_EQ(CountTrendText("pending sectors", {}, 0), "");
}

TEST_F(CountTrends, JapaneseKeepsTheValueBeforeItsDates)
{
    SetProgramLanguage(Language::Japanese);
    EXPECT_EQ(CountTrendText("代替処理待ちのセクタ", {{kOctober1, 0}, {kOctober1 + 61 * kDay, 8}}, 0),
              "代替処理待ちのセクタ: 0 (2026-10-01 まで)、8 (2026-12-01 から)");
}

}  // namespace
