// The history file under kills and over years: a child killed at random moments of its
// writes leaves a file that opens with everything flushed before the kill, and five
// years of 16 drives on a test clock stay within the cap.
#include "history_store.h"
#include "history_test_drives.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kCap = 2000000;

// Records and flushes two drives a minute apart, as fast as it can, continuing the file's
// clock; after each flush that returned, tells the parent the time it wrote.
[[noreturn]] void WriteUntilKilled(const std::string& path, int report)
{
    HistoryStore store(path);
    std::int64_t now = kDay0;
    for (const HistoryDrive& drive : store.Drives())
        now = std::max(now, drive.lastTime);
    for (std::uint8_t t = 30;; t = std::uint8_t(t == 60 ? 30 : t + 1)) {
        now += 60;
        store.Record(TestSnapshot({TestDrive("A", DriveCondition::Temperature, t), TestDrive("B")}), now);
        if (store.Flush(now, 0) && write(report, &now, sizeof(now)) != sizeof(now))
            _exit(2);
    }
}

TEST(HistoryCrash, AKillAtAnyMomentLosesOnlyWhatWasNotFlushed)
{
    TempDir dir;
    const std::string path = dir.File("history");
    std::mt19937 random(20261209);
    std::int64_t flushed = 0;
    for (int kill = 0; kill < 100; ++kill) {
        SCOPED_TRACE(kill);
        int pipeEnds[2];
        ASSERT_EQ(pipe(pipeEnds), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(pipeEnds[0]);
            WriteUntilKilled(path, pipeEnds[1]);
        }
        close(pipeEnds[1]);
        // The first flush done, then a moment anywhere in the next ones.
        std::int64_t told = 0;
        ASSERT_EQ(read(pipeEnds[0], &told, sizeof(told)), ssize_t(sizeof(told)));
        usleep(std::uniform_int_distribution<unsigned>(0, 4000)(random));
        ::kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));
        while (read(pipeEnds[0], &told, sizeof(told)) == ssize_t(sizeof(told))) {
        }
        close(pipeEnds[0]);
        ASSERT_GT(told, flushed);
        flushed = told;

        std::vector<std::string> lines;
        HistoryStore store(path, [&](const char* line) { lines.push_back(line); });
        EXPECT_TRUE(lines.empty()) << lines.front();
        const auto drives = store.Drives();
        ASSERT_EQ(drives.size(), 2u);
        // Everything flushed is there; at most the one flush under way when killed is more.
        EXPECT_GE(drives[0].lastTime, flushed);
        EXPECT_LE(drives[0].lastTime, flushed + 60);
        EXPECT_EQ(drives[0].firstTime, kDay0 + 60);
        if (HasFailure())
            return;
    }
}

TEST(HistoryYears, FiveYearsOfSixteenDrivesStayWithinTheCap)
{
    TempDir dir;
    const std::string path = dir.File("history");
    HistoryStore store(path);
    DriveSnapshot snapshot;
    snapshot.taken = true;
    for (unsigned i = 0; i < kMaxDrives; ++i) {
        snapshot.drives[snapshot.count] = TestDrive(("Y" + std::to_string(i)).c_str());
        snapshot.drives[snapshot.count].verdict.countsKnown = 1u << 0;
        ++snapshot.count;
    }
    // Every 10 minutes for five years (1826 days); reallocated sectors grow once a year.
    const std::int64_t interval = 600;
    const std::int64_t end = kDay0 + 1826 * 86400 - interval;
    std::size_t biggest = 0;
    for (std::int64_t now = kDay0; now <= end; now += interval) {
        const std::int64_t day = (now - kDay0) / 86400;
        for (unsigned i = 0; i < snapshot.count; ++i) {
            snapshot.drives[i].temperature = std::uint8_t(30 + day % 20);
            snapshot.drives[i].verdict.counts[0] = std::uint64_t(day / 365);
        }
        store.Record(snapshot, now);
        if (day % 30 == 0 && (now - kDay0) % 86400 == 0) {
            ASSERT_TRUE(store.Flush(now));
            biggest = std::max<std::size_t>(biggest, std::filesystem::file_size(path));
        }
    }
    ASSERT_TRUE(store.Flush(end, 0));
    biggest = std::max<std::size_t>(biggest, std::filesystem::file_size(path));
    EXPECT_LE(biggest, kCap);
    EXPECT_LE(store.MemoryBytes(), kCap);

    HistoryStore reopened(path);
    ASSERT_EQ(reopened.Drives().size(), kMaxDrives);
    const std::string identity = TestIdentity("Y15");
    // All five years, a day a point: the first day is still there.
    const auto days = reopened.Points(identity.c_str(), kDay0, end, 0);
    ASSERT_EQ(days.size(), 1826u);
    EXPECT_EQ(days.front().time, kDay0);
    EXPECT_EQ(days.front().span, 86400);
    for (std::size_t d = 0; d < days.size(); d += 97) {
        SCOPED_TRACE(d);
        EXPECT_EQ(days[d].temperatureMax, 30 + d % 20);
        EXPECT_EQ(days[d].counts[0], d / 365);
    }
    // A year into 400 points: days, none merged.
    const auto year = reopened.Points(identity.c_str(), end - HistoryRangeSeconds(HistoryRange::Year), end, 400);
    EXPECT_EQ(year.size(), 366u);
    // The last hour still has its single readings (and the minute holding its start).
    const auto hour = reopened.Points(identity.c_str(), end - 3599, end, 0);
    EXPECT_EQ(hour.size(), 7u);
    EXPECT_EQ(hour.back().span, 60);
}

}  // namespace
