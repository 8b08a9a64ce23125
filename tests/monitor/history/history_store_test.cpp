// The history store's rules as tables: which tier answers and how buckets fold readings,
// sleep as gaps, the cap and who gives way, a drive that returns, clock jumps, the counts,
// when Flush writes, and what a bad file becomes.
#include "history_layout.h"
#include "history_store.h"
#include "history_test_drives.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// Drive "A" measured every `interval` seconds from kDay0, `count` times, its temperature
// cycling 30, 31, 32. Returns the last reading's time.
std::int64_t RecordCycle(HistoryStore& store, std::int64_t interval, std::int64_t count, std::int64_t start = kDay0)
{
    for (std::int64_t k = 0; k < count; ++k)
        store.Record(TestSnapshot({TestDrive("A", DriveCondition::Temperature, std::uint8_t(30 + k % 3))}),
                     start + k * interval);
    return start + (count - 1) * interval;
}

// The file with one slot's field changed and its checksum made right again.
void ResealedWith(std::string& bytes, std::size_t slotOffset, std::int64_t value)
{
    std::memcpy(&bytes[sizeof(HistoryFileHeader) + slotOffset], &value, sizeof(value));
    HistoryFileHeader header;
    std::memcpy(&header, bytes.data(), sizeof(header));
    header.checksum = HistoryCrc32(bytes.data() + sizeof(header), bytes.size() - sizeof(header));
    std::memcpy(&bytes[0], &header, sizeof(header));
}

std::vector<HistoryPoint> AllOf(const HistoryStore& store, const char* serial, std::int64_t from, std::int64_t to)
{
    return store.Points(TestIdentity(serial).c_str(), from, to, 0);
}

TEST(HistoryTiers, TheFinestTierHoldingTheStartAnswersAndBucketsFoldReadings)
{
    struct Case {
        const char* name;
        std::int64_t interval, count;
        std::int64_t lookBack;  // the query starts this long before the last reading (-1: at kDay0)
        unsigned maxPoints;
        std::int32_t span;
        std::size_t points;
        std::uint8_t min, mean, max;  // of the first point
    };
    const Case cases[] = {
        {"1-second readings fold into minutes", 1, 600, 3600, 0, 60, 10, 30, 31, 32},
        {"the last hour of 3 days of minutes", 60, 3 * 1440, 3599, 0, 60, 61, 32, 32, 32},
        {"3 days: minutes no longer reach back, quarter hours do", 60, 3 * 1440, -1, 0, 900, 288, 30, 31, 32},
        {"100 days of 10-minute readings: days", 600, 100 * 144, -1, 0, 86400, 100, 30, 31, 32},
        {"a day of minutes into 100 points: merged to quarter hours", 60, 1440, -1, 100, 900, 96, 30, 31, 32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        HistoryStore store(dir.File("history"));
        const std::int64_t last = RecordCycle(store, c.interval, c.count);
        const std::int64_t from = c.lookBack < 0 ? kDay0 : last - c.lookBack;
        const auto points = store.Points(TestIdentity("A").c_str(), from, last, c.maxPoints);
        ASSERT_EQ(points.size(), c.points);
        EXPECT_EQ(points.front().span, c.span);
        EXPECT_EQ(points.front().temperatureMin, c.min);
        EXPECT_EQ(points.front().temperatureMean, c.mean);
        EXPECT_EQ(points.front().temperatureMax, c.max);
        EXPECT_EQ(points.front().health, HealthState::Good);
        for (std::size_t i = 1; i < points.size(); ++i)
            EXPECT_EQ(points[i].time - points[i - 1].time, c.span);
    }
}

TEST(HistoryTiers, AMeanContinuesAcrossAReopen)
{
    TempDir dir;
    {
        HistoryStore store(dir.File("history"));
        store.Record(TestSnapshot({TestDrive("A", DriveCondition::Temperature, 30)}), kDay0);
        store.Record(TestSnapshot({TestDrive("A", DriveCondition::Temperature, 30)}), kDay0 + 10);
        store.Record(TestSnapshot({TestDrive("A", DriveCondition::Temperature, 30)}), kDay0 + 20);
        ASSERT_TRUE(store.Flush(kDay0 + 20, 0));
    }
    HistoryStore store(dir.File("history"));
    store.Record(TestSnapshot({TestDrive("A", DriveCondition::Temperature, 42)}), kDay0 + 30);
    const auto minutes = AllOf(store, "A", kDay0, kDay0 + 30);
    ASSERT_EQ(minutes.size(), 1u);
    EXPECT_EQ(minutes[0].temperatureMean, 33);  // (3 x 30 + 42) / 4, not (30 + 42) / 2
}

TEST(HistorySleep, ASleepingStretchIsAGapNotARepeatedValue)
{
    using C = DriveCondition;
    struct Reading {
        C condition;
        std::uint8_t temperature;
        std::int64_t at;  // seconds after kDay0
    };
    struct Case {
        const char* name;
        std::vector<Reading> readings;
        std::vector<int> expected;  // per minute point: 0 a gap (asleep), -1 no temperature, else the maximum
    };
    const Case cases[] = {
        {"awake, asleep, asleep, awake", {{C::Temperature, 40, 0}, {C::Sleeping, 40, 60}, {C::Sleeping, 40, 120},
                                          {C::Temperature, 38, 180}}, {40, 0, 0, 38}},
        {"woke within the minute: the minute has its reading", {{C::Sleeping, 40, 0}, {C::Temperature, 36, 30}}, {36}},
        {"a read without temperature is no gap", {{C::NoTemperature, 0, 0}, {C::ReadFailed, 44, 60}}, {-1, -1}},
        {"not measured at all: no point", {{C::Temperature, 40, 0}, {C::Temperature, 41, 600}}, {40, 41}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        HistoryStore store(dir.File("history"));
        for (const Reading& r : c.readings)
            store.Record(TestSnapshot({TestDrive("A", r.condition, r.temperature)}), kDay0 + r.at);
        const auto points = AllOf(store, "A", kDay0, kDay0 + 3600);
        ASSERT_EQ(points.size(), c.expected.size());
        for (std::size_t i = 0; i < points.size(); ++i) {
            const int want = c.expected[i];
            EXPECT_EQ(points[i].asleep, want == 0) << i;
            EXPECT_EQ(points[i].temperatureMax, want > 0 ? want : 0) << i;
        }
    }
}

TEST(HistoryCap, AllPlacesTakenTheDriveRecordedLongestAgoGivesWay)
{
    TempDir dir;
    std::vector<std::string> lines;
    HistoryStore store(dir.File("history"), [&](const char* line) { lines.push_back(line); });
    // The 16 drives present all along, and 12 others each seen for a day, one after another.
    DriveSnapshot present;
    present.taken = true;
    for (unsigned i = 0; i < kMaxDrives; ++i)
        present.drives[present.count++] = TestDrive(("P" + std::to_string(i)).c_str());
    for (int visitor = 0; visitor < 12; ++visitor) {
        const std::int64_t day = kDay0 + visitor * 86400;
        DriveSnapshot withVisitor = present;
        withVisitor.count = kMaxDrives - 1;  // one place of the bus for the visitor
        withVisitor.drives[withVisitor.count++] = TestDrive(("V" + std::to_string(visitor)).c_str());
        store.Record(withVisitor, day);
        store.Record(present, day + 3600);
    }
    const auto drives = store.Drives();
    ASSERT_EQ(drives.size(), kHistorySlots);
    EXPECT_LE(store.FileBytes(), 2000000u);
    // Places: 16 present + 8 removed; of 12 visitors the 4 seen first gave way, one line each.
    for (int visitor = 0; visitor < 12; ++visitor) {
        const std::string identity = TestIdentity(("V" + std::to_string(visitor)).c_str());
        bool kept = false;
        for (const HistoryDrive& drive : drives)
            kept = kept || identity == drive.identity;
        EXPECT_EQ(kept, visitor >= 4) << visitor;
    }
    EXPECT_EQ(lines.size(), 4u);
    for (unsigned i = 0; i < kMaxDrives; ++i)
        EXPECT_FALSE(AllOf(store, ("P" + std::to_string(i)).c_str(), kDay0, kDay0 + 20 * 86400).empty()) << i;
    ASSERT_TRUE(store.Flush(kDay0 + 20 * 86400, 0));
    EXPECT_EQ(std::filesystem::file_size(dir.File("history")), store.FileBytes());
}

TEST(HistoryReturningDrive, ContinuesItsOwnHistoryAfterMonthsAndARestart)
{
    TempDir dir;
    {
        HistoryStore store(dir.File("history"));
        RecordCycle(store, 600, 144);
        ASSERT_TRUE(store.Flush(kDay0 + 86400, 0));
    }
    HistoryStore store(dir.File("history"));
    const std::int64_t back = kDay0 + 120 * 86400;
    store.Record(TestSnapshot({TestDrive("B"), TestDrive("A", DriveCondition::Temperature, 45, 1)}), back);
    const auto drives = store.Drives();
    ASSERT_EQ(drives.size(), 2u);
    EXPECT_EQ(std::string(drives[0].identity), TestIdentity("A"));
    EXPECT_EQ(drives[0].firstTime, kDay0);
    EXPECT_EQ(drives[0].lastTime, back);
    EXPECT_EQ(drives[0].lastDriveNumber, 1u);
    const auto days = AllOf(store, "A", kDay0, back);
    ASSERT_EQ(days.size(), 2u);
    EXPECT_EQ(days[0].time, kDay0);
    EXPECT_EQ(days[0].temperatureMax, 32);
    EXPECT_EQ(days[1].time, back);
    EXPECT_EQ(days[1].temperatureMax, 45);
}

TEST(HistoryReturningDrive, AnEarlyIdentityOfADriveAsleepAtStartKeepsNothing)
{
    TempDir dir;
    HistoryStore store(dir.File("history"));
    DriveSnapshotEntry early = TestDrive("A", DriveCondition::Sleeping);
    early.identityPending = true;
    DriveSnapshotEntry nameless = TestDrive("");
    nameless.model[0] = '\0';
    store.Record(TestSnapshot({early, nameless}), kDay0);
    EXPECT_TRUE(store.Drives().empty());
    EXPECT_FALSE(HistoryStore(dir.File("missing")).Found());
}

TEST(HistoryClock, JumpsForwardLeaveAGapJumpsBackDropWhatLiesAhead)
{
    struct Case {
        const char* name;
        std::int64_t jump;  // the clock's change after 2 hours of minute readings
        std::size_t minutes;  // minute points after 5 more readings
        std::int64_t lastAfter;  // the drive's last time, after the last reading
    };
    const std::int64_t last = kDay0 + 119 * 60;
    const Case cases[] = {
        {"forward a day: a gap, nothing lost", 86400, 125, last + 86400 + 4 * 60},
        {"back an hour: the hour recorded ahead goes", -3600, 64, last - 3600 + 4 * 60},
        {"back 30 seconds: jitter, taken as the last time", -30, 123, last + 210},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        HistoryStore store(dir.File("history"));
        RecordCycle(store, 60, 120);
        for (int k = 0; k < 5; ++k)
            store.Record(TestSnapshot({TestDrive("A", DriveCondition::Temperature, 50)}), last + c.jump + k * 60);
        EXPECT_EQ(AllOf(store, "A", kDay0 - 86400, kDay0 + 3 * 86400).size(), c.minutes);
        EXPECT_EQ(store.Drives().at(0).lastTime, c.lastAfter);
        // Any span asked for (a web request's) is answered within the limit.
        const auto widest = store.Points(TestIdentity("A").c_str(), INT64_MIN, INT64_MAX, 10);
        EXPECT_LE(widest.size(), 10u);
        EXPECT_EQ(HistoryCsv(widest), HistoryCsv(store.Points(TestIdentity("A").c_str(), 0, kHistoryTimeLimit, 10)));
        // Minutes ahead of the clock never survive a jump back.
        const auto ahead = AllOf(store, "A", c.lastAfter + 60, kDay0 + 3 * 86400);
        EXPECT_TRUE(ahead.empty());
    }
}

TEST(HistoryCounts, EachPointTellsTheCountsAsTheyWereThen)
{
    TempDir dir;
    HistoryStore store(dir.File("history"));
    auto withCounts = [](std::uint64_t pending, std::uint64_t crc) {
        DriveSnapshotEntry drive = TestDrive("A");
        drive.verdict.countsKnown = (1u << 3) | (1u << 5);  // 197 and 199
        drive.verdict.counts[3] = pending;
        drive.verdict.counts[5] = crc;
        return drive;
    };
    store.Record(TestSnapshot({withCounts(0, 0)}), kDay0);
    store.Record(TestSnapshot({withCounts(0, 0)}), kDay0 + 86400);
    store.Record(TestSnapshot({withCounts(8, 0)}), kDay0 + 2 * 86400);
    // A cable that flaps: many more changes of 199 than the store keeps.
    for (int k = 1; k <= 300; ++k)
        store.Record(TestSnapshot({withCounts(8, std::uint64_t(k))}), kDay0 + 3 * 86400 + k * 60);
    // Three days and five hours: minutes no longer reach back, quarter hours do.
    const auto quarters = AllOf(store, "A", kDay0, kDay0 + 10 * 86400);
    ASSERT_EQ(quarters.size(), 3u + 21u);
    struct Want {
        std::size_t point;
        std::uint8_t known;
        std::uint64_t pending, crc;
    };
    // 199's oldest changes gave way to its newest; 197's two stay, so its "0 until" holds.
    const Want wants[] = {
        {0, 1u << 3, 0, 0},
        {2, 1u << 3, 8, 0},
        {23, (1u << 3) | (1u << 5), 8, 300},
    };
    for (const Want& want : wants) {
        SCOPED_TRACE(want.point);
        const HistoryPoint& point = quarters[want.point];
        EXPECT_EQ(point.countsKnown, want.known);
        EXPECT_EQ(point.counts[3], want.pending);
        EXPECT_EQ(point.counts[5], want.known & (1u << 5) ? want.crc : 0u);
        EXPECT_FALSE(point.hasNvme);
    }
    DriveSnapshotEntry nvme = TestDrive("N");
    nvme.hasHealth = true;
    nvme.percentageUsed = 7;
    nvme.availableSpare = 100;
    std::strcpy(nvme.mediaErrors, "340282366920938463463374607431768211455");  // 2^128 - 1
    store.Record(TestSnapshot({nvme}), kDay0);
    const auto points = AllOf(store, "N", kDay0, kDay0);
    ASSERT_EQ(points.size(), 1u);
    EXPECT_TRUE(points[0].hasNvme);
    EXPECT_EQ(points[0].percentageUsed, 7);
    EXPECT_EQ(points[0].availableSpare, 100);
    EXPECT_EQ(points[0].mediaErrors, UINT64_MAX);
}

TEST(HistoryFlush, WritesWhatChangedAtMostOnceAMinute)
{
    struct Step {
        bool record;             // a measurement before the flush
        std::int64_t at;         // seconds after kDay0
        std::int64_t gap;        // the flush's minimum gap
        bool writes;
    };
    const Step steps[] = {
        {true, 0, 60, true},      // the first flush always writes
        {true, 30, 60, false},    // 30 s later: not yet
        {false, 60, 60, true},    // a minute after the last write, what came at 30 s
        {false, 200, 60, false},  // nothing changed
        {true, 210, 0, true},     // exit: now
        {true, -5000, 60, true},  // the clock went back: written, never stuck
    };
    TempDir dir;
    HistoryStore store(dir.File("history"));
    int k = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(k++);
        if (step.record)
            store.Record(TestSnapshot({TestDrive("A")}), kDay0 + step.at);
        std::remove(dir.File("history").c_str());
        EXPECT_TRUE(store.Flush(kDay0 + step.at, step.gap));
        EXPECT_EQ(std::filesystem::exists(dir.File("history")), step.writes);
    }
}

TEST(HistoryFlush, AFailedWriteIsToldOnceAndKeptForTheNext)
{
    TempDir dir;
    std::vector<std::string> lines;
    const std::string path = dir.File("missing") + "/history";
    HistoryStore store(path, [&](const char* line) { lines.push_back(line); });
    store.Record(TestSnapshot({TestDrive("A")}), kDay0);
    EXPECT_FALSE(store.Flush(kDay0, 0));
    EXPECT_FALSE(store.Flush(kDay0 + 60, 0));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("cannot write " + path), std::string::npos) << lines[0];
    std::filesystem::create_directory(dir.File("missing"));
    EXPECT_TRUE(store.Flush(kDay0 + 120, 0));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[1].find("written again"), std::string::npos);
    EXPECT_EQ(HistoryStore(path).Drives().size(), 1u);
}

TEST(HistoryFile, ABadFileIsSetAsideWithALineAndANewOneStarted)
{
    struct Case {
        const char* name;
        void (*spoil)(std::string& bytes);
        const char* told;  // nullptr: read as it is, nothing said
    };
    const Case cases[] = {
        {"as written", [](std::string&) {}, nullptr},
        {"cut short", [](std::string& b) { b.resize(b.size() - 1); }, "cut short"},
        {"empty", [](std::string& b) { b.clear(); }, "too short"},
        {"someone else's file", [](std::string& b) { b = "[Settings]\nInterval=10\n" + b; }, "no history file"},
        {"a bit flipped in a bucket", [](std::string& b) { b[b.size() - 100] ^= 0x10; }, "checksum"},
        {"a later layout", [](std::string& b) { b[8] = 2; }, "layout"},
        {"checksum right, a time before 1970",
         [](std::string& b) { ResealedWith(b, offsetof(HistorySlot, firstTime), -1); }, "out of range"},
        {"checksum right, a time past the minute count",
         [](std::string& b) { ResealedWith(b, offsetof(HistorySlot, lastTime), kHistoryTimeLimit); }, "out of range"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.File("history");
        std::string written;
        {
            HistoryStore store(path);
            RecordCycle(store, 60, 30);
            ASSERT_TRUE(store.Flush(kDay0 + 3600, 0));
            written = HistoryCsv(AllOf(store, "A", kDay0, kDay0 + 3600));
        }
        std::string bytes = ReadBytes(path);
        c.spoil(bytes);
        WriteBytes(path, bytes);
        {
            // A reader beside the writer (an export) says why and leaves the file alone.
            HistoryStore reader(path, {}, HistoryAccess::ReadOnly);
            EXPECT_TRUE(reader.Found());
            EXPECT_EQ(reader.Trouble().empty(), c.told == nullptr) << reader.Trouble();
            if (c.told != nullptr)
                EXPECT_NE(reader.Trouble().find(c.told), std::string::npos) << reader.Trouble();
            EXPECT_FALSE(reader.Flush(kDay0 + 7200, 0));
            EXPECT_FALSE(std::filesystem::exists(path + ".bad"));
            EXPECT_EQ(ReadBytes(path), bytes);
        }
        std::vector<std::string> lines;
        HistoryStore store(path, [&](const char* line) { lines.push_back(line); });
        if (c.told == nullptr) {
            EXPECT_TRUE(lines.empty());
            EXPECT_EQ(HistoryCsv(AllOf(store, "A", kDay0, kDay0 + 3600)), written);
            continue;
        }
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_NE(lines[0].find(c.told), std::string::npos) << lines[0];
        EXPECT_NE(lines[0].find("kept as " + path + ".bad"), std::string::npos) << lines[0];
        EXPECT_EQ(ReadBytes(path + ".bad"), bytes);
        EXPECT_TRUE(store.Drives().empty());
        store.Record(TestSnapshot({TestDrive("B")}), kDay0 + 7200);
        ASSERT_TRUE(store.Flush(kDay0 + 7200, 0));
        EXPECT_EQ(HistoryStore(path).Drives().size(), 1u);
    }
}

TEST(HistoryText, TimesRangesAndTheCsv)
{
    const std::pair<std::int64_t, const char*> times[] = {
        {0, "1970-01-01T00:00:00Z"},
        {951782400, "2000-02-29T00:00:00Z"},
        {1798761599, "2026-12-31T23:59:59Z"},
    };
    for (const auto& t : times)
        EXPECT_EQ(HistoryTimeText(t.first), t.second);

    const std::pair<const char*, std::int64_t> ranges[] = {
        {"hour", 3600}, {"day", 86400}, {"week", 604800}, {"month", 2592000}, {"year", 31536000}};
    for (const auto& r : ranges) {
        HistoryRange range = HistoryRange::Hour;
        ASSERT_TRUE(ParseHistoryRange(r.first, range)) << r.first;
        EXPECT_EQ(HistoryRangeSeconds(range), r.second);
        EXPECT_STREQ(HistoryRangeName(range), r.first);
    }
    HistoryRange range;
    EXPECT_FALSE(ParseHistoryRange("Hour", range));
    EXPECT_FALSE(ParseHistoryRange(nullptr, range));

    HistoryPoint hot;
    hot.time = kDay0;
    hot.span = 60;
    hot.temperatureMin = 41;
    hot.temperatureMean = 43;
    hot.temperatureMax = 47;
    hot.health = HealthState::Caution;
    hot.countsKnown = 1u << 3;
    hot.counts[3] = 8;
    HistoryPoint asleep;
    asleep.time = kDay0 + 60;
    asleep.span = 60;
    asleep.asleep = true;
    asleep.hasNvme = true;
    asleep.percentageUsed = 3;
    asleep.availableSpare = 100;
    asleep.mediaErrors = 0;
    EXPECT_EQ(HistoryCsv({hot, asleep}),
              "time,seconds,temperature_min,temperature_mean,temperature_max,asleep,health,attribute_5,"
              "attribute_187,attribute_188,attribute_197,attribute_198,attribute_199,percentage_used,"
              "available_spare,media_errors\n"
              "2024-10-04T00:00:00Z,60,41,43,47,no,caution,,,,8,,,,,\n"
              "2024-10-04T00:01:00Z,60,,,,yes,,,,,,,,3,100,0\n");
}

}  // namespace
