// The answers kept per published snapshot: shared between publishes, rebuilt after one,
// and never paired with the wrong generation while the main thread publishes.
#include "export_answers.h"
#include "http_request.h"
#include "metrics_text.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

DriveSnapshot OneDrive(std::uint8_t temperature)
{
    DriveSnapshot snapshot;
    snapshot.taken = true;
    snapshot.count = 1;
    snapshot.warningTemperature = 50;
    snapshot.drives[0].driveNumber = 1;
    snapshot.drives[0].condition = DriveCondition::Temperature;
    snapshot.drives[0].temperature = temperature;
    std::strcpy(snapshot.drives[0].model, "ST380011A");
    std::strcpy(snapshot.drives[0].serial, "5JV3ABCD");
    return snapshot;
}

TEST(ExportAnswers, SharedBetweenPublishesAndRebuiltAfterOne)
{
    SnapshotBoard board;
    board.Publish(OneDrive(35));
    ExportAnswers answers(board, "9.8.7");

    const PublishedAnswers first = answers.Current();
    const PublishedAnswers again = answers.Current();
    EXPECT_EQ(first.generation, 1u);
    EXPECT_EQ(again.generation, 1u);
    EXPECT_EQ(again.hddtemp.get(), first.hddtemp.get());
    EXPECT_EQ(again.metrics.get(), first.metrics.get());
    EXPECT_EQ(again.metricsHead.get(), first.metricsHead.get());
    EXPECT_EQ(*first.hddtemp, "|/dev/PhysicalDrive1|ST380011A|35|C|");

    board.Publish(OneDrive(47));
    const PublishedAnswers after = answers.Current();
    EXPECT_EQ(after.generation, 2u);
    EXPECT_NE(after.hddtemp.get(), first.hddtemp.get());
    EXPECT_NE(after.metrics.get(), first.metrics.get());
    EXPECT_EQ(*after.hddtemp, "|/dev/PhysicalDrive1|ST380011A|47|C|");
    EXPECT_NE(after.metrics->find("kelvix_drive_temperature_celsius{drive=\"1\",serial=\"5JV3ABCD\"} 47\n"),
        std::string::npos);
    // What an earlier reader holds stays as it was.
    EXPECT_EQ(*first.hddtemp, "|/dev/PhysicalDrive1|ST380011A|35|C|");

    // The kept page is the one the builders make for that snapshot, and HEAD's answer is
    // its head, body left out.
    const std::string page = BuildMetricsText(OneDrive(47), "9.8.7");
    EXPECT_EQ(*after.metrics, BuildHttpResponse(200, kMetricsContentType, page, false));
    const std::size_t bodyAt = after.metrics->find("\r\n\r\n") + 4;
    EXPECT_EQ(*after.metricsHead, after.metrics->substr(0, bodyAt));
    EXPECT_EQ(after.metrics->substr(bodyAt), page);
}

TEST(ExportAnswers, NeverPairsATextWithAnotherGeneration)
{
    // Odd generations carry 30 degrees, even ones 40: a reader racing the publisher must
    // always get the text of the generation it is told.
    SnapshotBoard board;
    board.Publish(OneDrive(30));
    ExportAnswers answers(board, "1");
    const std::string odd = "|/dev/PhysicalDrive1|ST380011A|30|C|";
    const std::string even = "|/dev/PhysicalDrive1|ST380011A|40|C|";
    constexpr int kPublishes = 2000;
    std::atomic<bool> done{false};
    std::atomic<int> mismatches{0};
    std::atomic<long> reads{0};
    std::vector<std::thread> readers;
    for (int r = 0; r < 3; ++r) {
        readers.emplace_back([&] {
            while (!done) {
                const PublishedAnswers got = answers.Current();
                const std::string& expected = got.generation % 2 == 1 ? odd : even;
                const bool pageMatches = got.metrics->find(got.generation % 2 == 1 ? "} 30\n" : "} 40\n") != std::string::npos;
                if (*got.hddtemp != expected || !pageMatches) {
                    ++mismatches;
                }
                ++reads;
            }
        });
    }
    // Publish only once the readers run, so they race the publishes.
    while (reads == 0) {
        std::this_thread::yield();
    }
    for (int i = 2; i <= kPublishes; ++i) {
        board.Publish(OneDrive(i % 2 == 1 ? 30 : 40));
    }
    done = true;
    for (std::thread& reader : readers) {
        reader.join();
    }
    EXPECT_EQ(mismatches.load(), 0);
    const PublishedAnswers last = answers.Current();
    EXPECT_EQ(last.generation, static_cast<std::uint64_t>(kPublishes));
    EXPECT_EQ(*last.hddtemp, even);
}

}  // namespace
