// Measurement cycles over simulated drives that spin down: what reaches a sleeping drive,
// what it keeps, how the log shows it, the force-read count and waking up, for each way
// the drive answers the two power questions.
#include "drive_database.h"
#include "drive_enumeration.h"
#include "measurement.h"
#include "sensing_test_support.h"
#include "temperature_log.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

class SleepingDrive : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteWholeFile("HDDATA.CFG", "KVX = 194\n");
        ASSERT_EQ(LoadDriveDatabase("HDDATA.CFG"), 1);
    }
    void TearDown() override { TheDriveDatabase().Clear(); }

    std::unique_ptr<SimulatedMachine> Start(const std::string& driveSet)
    {
        auto machine = std::make_unique<SimulatedMachine>(driveSet);
        EnumerateForLaterTicks(machine->drives);
        return machine;
    }

    WorkingDirectory directory_;
    Settings settings_;
};

// Drive 0 sleeps through power checks 3 to 5 (enumeration asked check 1) and reports
// 40, 41, 42 ... per read (enumeration took 40). Each tick is one letter: 'R' read (a new temperature), 'S' left
// asleep with its last one.
struct PowerCase {
    const char* name;
    const char* powerCalls;
    std::uint32_t wakeAfter;
    const char* ticks;
    std::uint64_t commandsWhileAsleep;
};

TEST_F(SleepingDrive, TicksByTheWayTheDriveAnswers)
{
    const PowerCase cases[] = {
        {"pass-through answered", "both", 0, "RSSSRR", 0},
        {"only the pass-through", "ata", 0, "RSSSRR", 0},
        {"only GetDevicePowerState", "state", 0, "RSSSRR", 0},
        // Each read of the sleeping drive is two commands: the attributes and RETURN STATUS.
        {"neither answered: read as before", "none", 0, "RRRRRR", 6},
        {"force read after 2 ticks", "both", 2, "RSSRRR", 2},
        {"force read after 1 tick", "both", 1, "RSRSRR", 2},
    };
    for (const PowerCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::remove("KELVIX.INI");  // worst values of the case before
        auto machine = Start(std::string("drive 0\nmodel KVX 1\ntemperature 194 40 41 42 43 44 45 46 47\n"
                                         "sleep 3 5\npower-calls ") +
                             c.powerCalls + "\n");
        settings_.WakeAfter = c.wakeAfter;
        DriveRecord& record = machine->drives.table[0];
        std::uint8_t last = 40;  // enumeration's read
        std::string done;
        for (const char* t = c.ticks; *t != '\0'; ++t) {
            const std::uint64_t before = machine->bus.SmartCommands(0);
            EXPECT_EQ(MeasureAll(machine->drives, settings_), 1u) << "a sleeping drive keeps counting";
            const bool read = machine->bus.SmartCommands(0) != before;
            done += read ? 'R' : 'S';
            EXPECT_EQ(record.sleeping != 0, !read);
            if (read) {
                EXPECT_EQ(record.currentTemperature, last + 1) << "a read takes the next value";
                last = record.currentTemperature;
            } else {
                EXPECT_EQ(record.currentTemperature, last) << "asleep: the last temperature stays";
            }
            EXPECT_EQ(record.worstTemperature, last);
        }
        EXPECT_EQ(done, c.ticks);
        EXPECT_EQ(machine->bus.SmartCommandsAsleep(0), c.commandsWhileAsleep);
        EXPECT_EQ(machine->bus.PowerChecks(0), std::strlen(c.ticks) + 1) << "one check a tick, one at start";
    }
}

TEST_F(SleepingDrive, SettingOffAsksNothingAndReadsEveryTick)
{
    SimulatedMachine machine("drive 0\nmodel KVX 1\ntemperature 194 40 41 42 43\nsleep 1\n");
    settings_.NoWake = 0;
    EnumerateDrives(machine.drives, false);
    EXPECT_EQ(machine.bus.RequestCount(kIoctlAtaPassThrough), 0u) << "nothing asked at start";
    machine.bus.ClearLog();
    for (int tick = 0; tick < 3; ++tick) {
        MeasureAll(machine.drives, settings_);
        EXPECT_EQ(machine.drives.table[0].sleeping, 0);
    }
    EXPECT_EQ(machine.bus.RequestCount(kIoctlAtaPassThrough), 0u);
    EXPECT_EQ(machine.bus.RequestCount(), 4u)
        << "the attribute reads and RETURN STATUS alone; the first tick took enumeration's";
    EXPECT_EQ(machine.drives.table[0].currentTemperature, 42);
}

TEST_F(SleepingDrive, NvmeDriveIsNotAsked)
{
    auto machine = Start("drive 0\nnvme\ntemperature 40 41\n");
    machine->bus.ClearLog();
    MeasureAll(machine->drives, settings_);
    EXPECT_EQ(machine->bus.RequestCount(kIoctlAtaPassThrough), 0u);
    EXPECT_EQ(machine->drives.table[0].currentTemperature, 41);
}

TEST_F(SleepingDrive, NeverWakingDriveGetsNoCommandAtAll)
{
    auto machine = Start("drive 0\nmodel KVX 1\ntemperature 194 40 50\nsleep 2\n"
                         "drive 1\nmodel KVX 2\ntemperature 194 30 31 32 33 34 35\n");
    const std::uint64_t atStart = machine->bus.SmartCommands(0);
    for (int tick = 0; tick < 5; ++tick) {
        EXPECT_EQ(MeasureAll(machine->drives, settings_), 2u);
    }
    EXPECT_EQ(machine->bus.SmartCommands(0), atStart);
    EXPECT_EQ(machine->bus.SmartCommandsAsleep(0), 0u);
    EXPECT_EQ(machine->drives.table[0].currentTemperature, 40);
    EXPECT_EQ(machine->drives.table[1].currentTemperature, 35) << "the other drive goes on";
    EXPECT_EQ(machine->drives.table[1].sleeping, 0);
}

TEST_F(SleepingDrive, LogSaysSleepingInsteadOfATemperature)
{
    auto machine = Start("platform 1\ndrive 0\nmodel KVX 1\ntemperature 194 38\nsleep 2 2\n"
                         "drive 1\nmodel KVX 2\ntemperature 194 41\n");
    // The 9x driver has no pass-through and no power state: its drives are always read.
    MeasureAll(machine->drives, settings_);
    EXPECT_EQ(machine->drives.table[0].sleeping, 0);

    auto nt = Start("drive 0\nmodel KVX 1\ntemperature 194 38\nsleep 3 3\ndrive 2\nmodel KVX 2\ntemperature 194 41\n");
    const char* expected[] = {"38 00 41 00 00 00 00 00 00 00 00 00 00 00 00 00 ",
                              "ZZ 00 41 00 00 00 00 00 00 00 00 00 00 00 00 00 ",
                              "38 00 41 00 00 00 00 00 00 00 00 00 00 00 00 00 "};
    for (const char* line : expected) {
        MeasureAll(nt->drives, settings_);
        char text[kLogTextSize];
        FormatTemperatureLogText(nt->drives, text);
        EXPECT_STREQ(text, line);
    }
}

TEST_F(SleepingDrive, CountsFileFollowsEveryCommand)
{
    // Drive 5, behind a bridge, is asked last in a tick: its power check alone must
    // rewrite the file.
    DriveSet set = DriveSetFromText("counts counts.txt\ndrive 0\nmodel KVX 1\ntemperature 194 38\nsleep 2\n"
                                    "drive 3\nmodel KVX 2\ntemperature 194 41\n"
                                    "drive 5\nmodel KVX 3\nbridge sat16\ntemperature 194 35\nsleep 2\n");
    EXPECT_EQ(set.countsFile, "counts.txt");
    SimulatedMachine machine(set);
    EnumerateDrives(machine.drives);
    MeasureAll(machine.drives, settings_);
    MeasureAll(machine.drives, settings_);
    // Enumeration asks first (check 1), then sends ENABLE OPERATIONS, IDENTIFY, the
    // attribute and the threshold read and RETURN STATUS (5; through the bridge IDENTIFY
    // twice, the first to find its form); the first tick takes enumeration's reading, the
    // second asks again (check 2) and reads only the awake drive, with its status (2).
    const std::string expected = "drive 0 smart 5 asleep 0 checks 2 sleeping 1\n"
                                 "drive 3 smart 7 asleep 0 checks 2 sleeping 0\n"
                                 "drive 5 smart 6 asleep 0 checks 2 sleeping 1\n"
                                 "end\n";
    EXPECT_EQ(ReadWholeFile("counts.txt"), expected);
    EXPECT_EQ(machine.bus.CountsText(), expected);
}

}  // namespace
