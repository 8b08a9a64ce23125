// Drives shaped like real ones (real_drives.driveset) read through the simulated bus and
// judged as KELVIX judges them: each gets the verdict its counts call for, and no healthy
// drive is flagged.
#include "drive_database.h"
#include "drive_enumeration.h"
#include "drive_judge.h"
#include "driveset_file.h"
#include "measurement.h"
#include "self_test_reading.h"
#include "sensing_test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

// The "# expect WORD" lines, one per drive in order.
std::vector<std::string> Expected(const std::string& path)
{
    std::vector<std::string> words;
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) {
        if (line.rfind("# expect ", 0) == 0) {
            words.push_back(line.substr(9));
        }
    }
    return words;
}

TEST(RealDrives, EachGetsTheVerdictItsCountsCallFor)
{
    WorkingDirectory directory;
    // The shipped database: models whose vendors keep other values in the counts say so.
    ASSERT_EQ(LoadDriveDatabase(KV_DRIVE_DATABASE), 1);
    auto set = std::make_unique<DriveSet>();
    std::string error;
    ASSERT_TRUE(LoadDriveSet(KV_REAL_DRIVES, *set, error)) << error;
    const std::vector<std::string> expected = Expected(KV_REAL_DRIVES);
    ASSERT_EQ(expected.size(), 9u);
    auto machine = std::make_unique<SimulatedMachine>(*set);
    machine->drives.probeCount = kMaxDrives;
    EnumerateDrives(machine->drives);
    Settings settings;
    DriveJudge judge(nullptr);
    for (unsigned tick = 0; tick < 3; ++tick) {
        MeasureAll(machine->drives, settings);
        // The first judgement tells of each drive that is not good, once; steady counts
        // are no news after that.
        EXPECT_EQ(judge.Judge(machine->drives, WarningLimitsOf(settings)).count, tick == 0 ? 3u : 0u) << tick;
        for (unsigned i = 0; i < expected.size(); ++i) {
            ASSERT_EQ(machine->drives.table[i].present, 1u) << i;
            const DriveVerdict& verdict = judge.Verdict(i);
            std::string reasons;
            for (unsigned r = 0; r < verdict.reasonCount; ++r) {
                char text[160];
                FormatHealthReason(verdict.reasons[r], text, sizeof text);
                reasons += std::string(" | ") + text;
            }
            EXPECT_EQ(HealthStateName(verdict.health), expected[i])
                << "drive " << i << " " << machine->drives.table[i].model << reasons;
        }
    }
}

// The drive's own verdict over ticks: asked with each read of an awake drive (enumeration's
// read stands for the first tick), a failing answer is Bad, a drive whose driver refused
// the S.M.A.R.T. request is asked through the ATA pass-through at its next read, one that
// refused both ways is asked no more, and a sleeping drive is not asked: its last verdict
// stands. One letter a tick: G good, B bad; and how RETURN STATUS went out that tick:
// s through the disk driver's S.M.A.R.T. request, p through the ATA pass-through, - not.
TEST(RealDrives, TheDrivesOwnVerdictOverTicks)
{
    const struct {
        const char* name;
        const char* keys;
        const char* health;
        const char* asked;
    } cases[] = {
        {"turns failing", "return-status passed passed failing\n", "GGB", "-ss"},
        {"refused by the driver, the pass-through answers", "return-status refused failing\n", "GBB", "-pp"},
        {"refused both ways, asked no more", "return-status passed refused refused failing\n", "GGGG", "-sp-"},
        {"asleep: not asked, the verdict stands", "return-status failing passed\nsleep 2 3\n", "BBBG", "---s"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WorkingDirectory directory;
        SimulatedMachine machine(std::string("drive 0\nmodel KVX 1\ntemperature 194 35\n") + c.keys);
        EnumerateDrives(machine.drives);
        Settings settings;
        settings.NoWake = 1;
        DriveJudge judge(nullptr);
        std::string health;
        std::string asked;
        for (const char* t = c.health; *t != '\0'; ++t) {
            const std::uint32_t questions = machine.bus.StatusQuestions(0);
            const std::uint64_t driverRequests = machine.bus.RequestCount(kSmartSendDriveCommand);
            MeasureAll(machine.drives, settings);
            judge.Judge(machine.drives, WarningLimitsOf(settings));
            const HealthState state = judge.Verdict(0).health;
            health += state == HealthState::Bad ? 'B' : state == HealthState::Good ? 'G' : '?';
            // After enumeration SMART_SEND_DRIVE_COMMAND carries nothing but RETURN STATUS.
            const bool byDriver = machine.bus.RequestCount(kSmartSendDriveCommand) != driverRequests;
            asked += machine.bus.StatusQuestions(0) == questions ? '-' : byDriver ? 's' : 'p';
        }
        EXPECT_EQ(health, c.health);
        EXPECT_EQ(asked, c.asked);
    }
}

}  // namespace

// The drive's own self-test log over ticks, ATA log 06h and the NVMe Device Self-test page
// (where OACS bit 4 says so): read with the first read and then once a day of measurements,
// never while the drive sleeps; the newest completed test failing makes the drive bad with
// when and where. One letter a tick: r the log was read, - not.
TEST(RealDrives, TheSelfTestLogOverTicks)
{
    constexpr char kAta[] = "drive 0\nmodel KVX 1\ntemperature 194 35\n";
    constexpr char kNvme[] = "drive 0\nnvme\nmodel KVX NVME\nhealth spare 100\n";
    const struct {
        const char* name;
        const char* drive;
        const char* keys;
        std::uint32_t timerSeconds;
        const char* reads;
        const char* health;
        const char* reason;  // of the last tick
    } cases[] = {
        {"at start, then once a day", kAta, "self-test short passed 100\nself-test extended read 250 123456\n", 43200,
         "r-r-r", "BBBBB", "the drive's self-test failed (read element failed) at 250 hours, first failing LBA 123456"},
        {"asleep: not asked, asked again awake", kAta, "self-test short passed 100\nsleep 2 3\n", 86400, "r--r",
         "GGGG", ""},
        {"a pass after the failure", kAta, "self-test extended servo 90 77\nself-test short passed 100\n", 86400, "r",
         "G", ""},
        {"a log with a checksum error is not believed", kAta, "self-test extended read 250 9\nself-test-checksum bad\n",
         86400, "r", "G", ""},
        {"no self-tests logged: not asked", kAta, "", 86400, "---", "GGG", ""},
        {"the extended log gives the whole LBA", kAta,
         "self-test-extended 2\nself-test short passed 100\nself-test extended read 250 4660000000\n", 43200, "r-r", "BBB",
         "the drive's self-test failed (read element failed) at 250 hours, first failing LBA 4660000000"},
        {"so does a 16-byte bridge", kAta,
         "bridge sat16\nself-test-extended 1\nself-test extended read 250 4660000000\n", 86400, "r", "B",
         "the drive's self-test failed (read element failed) at 250 hours, first failing LBA 4660000000"},
        {"a 12-byte bridge cannot ask it: 06h's LBA 27:0", kAta,
         "bridge sat12\nself-test-extended 1\nself-test extended read 250 4660000000\n", 86400, "r", "B",
         "the drive's self-test failed (read element failed) at 250 hours, first failing LBA 96597248"},
        {"NVMe: a failed segment", kNvme, "nvme-self-test 1 0 200\nnvme-self-test 2 7 300 4096\n", 3600, "r--", "BBB",
         "the drive's self-test failed (a segment failed) at 300 hours, first failing LBA 4096"},
        {"NVMe: a short test passed after it", kNvme, "nvme-self-test 2 5 300\nnvme-self-test 1 0 310\n", 3600, "r--",
         "GGG", ""},
        {"NVMe: no self-test support: not asked", kNvme, "", 3600, "---", "GGG", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WorkingDirectory directory;
        SimulatedMachine machine(std::string(c.drive) + c.keys);
        EnumerateDrives(machine.drives);
        Settings settings;
        settings.NoWake = 1;
        settings.TimerCurrent = c.timerSeconds;
        DriveJudge judge(nullptr);
        std::string reads;
        std::string health;
        for (const char* t = c.reads; *t != '\0'; ++t) {
            const std::uint32_t before = machine.bus.SelfTestLogReads(0);
            MeasureAll(machine.drives, settings);
            judge.Judge(machine.drives, WarningLimitsOf(settings));
            reads += machine.bus.SelfTestLogReads(0) == before ? '-' : 'r';
            const HealthState state = judge.Verdict(0).health;
            health += state == HealthState::Bad ? 'B' : state == HealthState::Good ? 'G' : '?';
        }
        EXPECT_EQ(reads, c.reads);
        EXPECT_EQ(health, c.health);
        EXPECT_EQ(machine.bus.SelfTestLogReadsAsleep(0), 0u);
        EXPECT_LE(machine.bus.GpDirectoryReads(0), 1u) << "the log directory is asked once";
        char text[160] = {};
        if (judge.Verdict(0).reasonCount > 0) {
            FormatHealthReason(judge.Verdict(0).reasons[0], text, sizeof text);
        }
        EXPECT_STREQ(text, c.reason);
    }
}

// [Health] SelfTest=DAYS: a short test when the newest logged one is that many days of the
// drive's power-on time old (ATA attribute 9, NVMe the health log's hours), checked with the
// daily log read; none while a test runs, none by default. The newest test ran at hour 100.
TEST(RealDrives, TheSelfTestSchedule)
{
    constexpr char kAta[] = "drive 0\nmodel KVX 1\ntemperature 194 35\nself-test short passed 100\n";
    constexpr char kNvme[] = "drive 0\nnvme\nmodel KVX NVME\nnvme-self-test 1 0 100\n";
    const struct {
        const char* name;
        const char* drive;
        std::uint32_t days;
        const char* keys;
        std::uint32_t started;
    } cases[] = {
        {"a week after the last test", kAta, 7, "attribute 9 0x0032 100 100 0C 01\n", 1},  // hour 268
        {"an hour short of it", kAta, 7, "attribute 9 0x0032 100 100 0B 01\n", 0},
        {"a test runs now", kAta, 7, "attribute 9 0x0032 100 100 0C 01\nself-test-running 50\n", 0},
        {"off by default", kAta, 0, "attribute 9 0x0032 100 100 0C 01\n", 0},
        {"NVMe: a week after the last test", kNvme, 7, "health power-on-hours 268\n", 1},
        {"NVMe: an hour short of it", kNvme, 7, "health power-on-hours 267\n", 0},
        {"NVMe: off by default", kNvme, 0, "health power-on-hours 268\n", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WorkingDirectory directory;
        SimulatedMachine machine(std::string(c.drive) + c.keys);
        EnumerateDrives(machine.drives);
        Settings settings;
        settings.TimerCurrent = 86400;
        settings.SelfTest = c.days;
        MeasureAll(machine.drives, settings);
        EXPECT_EQ(machine.bus.SelfTestLogReads(0), 1u);
        EXPECT_EQ(machine.bus.SelfTestsStarted(0), c.started);
    }
}

// A self-test started as the viewer starts one (its own device) on a drive told to run it
// over three readings: the execution status (NVMe: the page, read at every reading while
// the test runs) counts down, the reading that finds it ended has the log, and its failure
// makes the verdict bad with where.
TEST(RealDrives, AStartedSelfTestRunsThenItsResultIsJudged)
{
    const struct {
        const char* name;
        const char* drive;
        std::uint32_t logReads;  // at start, then ATA: once it ended; NVMe: each reading it ran and the end
        const char* reason;
    } cases[] = {
        {"ATA", "drive 0\nmodel KVX 1\ntemperature 194 35\nattribute 9 0x0032 100 100 2C 01\n"
                "self-test short passed 100\nself-test-runs 3 read 4660\n",
         2, "the drive's self-test failed (read element failed) at 300 hours, first failing LBA 4660"},
        {"NVMe", "drive 0\nnvme\nmodel KVX NVME\nhealth power-on-hours 300\nnvme-self-test 1 0 100\n"
                 "nvme-self-test-runs 3 7 4660\n",
         5, "the drive's self-test failed (a segment failed) at 300 hours, first failing LBA 4660"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WorkingDirectory directory;
        SimulatedMachine machine(c.drive);
        EnumerateDrives(machine.drives);
        Settings settings;
        settings.TimerCurrent = 60;  // the daily log read is far off
        DriveJudge judge(nullptr);
        MeasureAll(machine.drives, settings);  // enumeration's reading: nothing runs yet
        DriveRecord& record = machine.drives.table[0];
        SmartDevice starter;
        ASSERT_TRUE(starter.Open(0));
        NvmeDevice nvme;
        ASSERT_TRUE(record.kind == DriveKind::Nvme ? nvme.StartSelfTest(starter.Handle(), false)
                                                   : starter.StartSelfTest(false));
        if (record.kind == DriveKind::Nvme) {
            EXPECT_FALSE(nvme.StartSelfTest(starter.Handle(), true)) << "one runs: the drive's status refuses another";
        }
        starter.Close();
        NoteSelfTestStarted(record);
        std::string left;
        std::string health;
        for (int tick = 0; tick < 5; ++tick) {
            MeasureAll(machine.drives, settings);
            judge.Judge(machine.drives, WarningLimitsOf(settings));
            unsigned percent = 0;
            left += SelfTestRunning(record, percent) ? std::to_string(percent) + " " : "ended ";
            health += judge.Verdict(0).health == HealthState::Bad ? 'B' : 'G';
        }
        EXPECT_EQ(left, "90 60 30 ended ended ");
        EXPECT_EQ(health, "GGGBB");
        EXPECT_EQ(machine.bus.SelfTestLogReads(0), c.logReads);
        char text[160] = {};
        ASSERT_GT(judge.Verdict(0).reasonCount, 0u);
        FormatHealthReason(judge.Verdict(0).reasons[0], text, sizeof text);
        EXPECT_STREQ(text, c.reason);
    }
}
