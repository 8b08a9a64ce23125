// Drives that are asleep when enumeration runs: nothing but the power question reaches
// them until they wake, they are listed by the early identity the system gives, and the
// worst value goes under their own identity only - through the Windows-shaped drives,
// behind a USB bridge and through the pass-through seam kelvixd uses. Also the sysfs
// texts that early identity comes from on Linux.
#include "block_devices.h"
#include "drive_database.h"
#include "drive_enumeration.h"
#include "measurement.h"
#include "pass_through_disk_control.h"
#include "sensing_test_support.h"
#include "simulated_drive_port.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

// Drive 1 (a model longer than a SCSI product id) sleeps from the start through its 3rd
// power check; drive 0 is always awake.
const std::string kDrives = "drive 0\nmodel KVX AWAKE\nserial AWAKE1\ntemperature 194 30 31 32 33 34 35\n"
                            "drive 1\nmodel KVX WDC WD800JB-00JJC0\nfirmware 05.01C05\nserial WMAJ91234567\n"
                            "temperature 194 40 41 42 43 44 45\n";

// The drives, whichever way they are reached: the counts of drive 1 and the drive table.
class Machine {
public:
    virtual ~Machine() = default;
    virtual std::uint64_t Commands() const = 0;
    virtual std::uint64_t CommandsAsleep() const = 0;
    virtual std::uint32_t Checks() const = 0;
    virtual DriveState& Drives() = 0;
};

class WindowsMachine final : public Machine {
public:
    explicit WindowsMachine(const std::string& text) : machine_(text) {}
    std::uint64_t Commands() const override { return machine_.bus.SmartCommands(1); }
    std::uint64_t CommandsAsleep() const override { return machine_.bus.SmartCommandsAsleep(1); }
    std::uint32_t Checks() const override { return machine_.bus.PowerChecks(1); }
    DriveState& Drives() override { return machine_.drives; }

private:
    SimulatedMachine machine_;
};

// kelvixd's way: the pass-through seam over the simulated kernel port.
class KernelMachine final : public Machine {
public:
    explicit KernelMachine(const std::string& text) : port_(DriveSetFromText(text)), control_(port_), installed_(control_)
    {
        drives_.probeCount = DetectProbeCount();
    }
    std::uint64_t Commands() const override { return port_.Commands(1); }
    std::uint64_t CommandsAsleep() const override { return port_.CommandsAsleep(1); }
    std::uint32_t Checks() const override { return port_.PowerChecks(1); }
    DriveState& Drives() override { return drives_; }

private:
    SimulatedDrivePort port_;
    PassThroughDiskControl control_;
    ScopedDiskControl installed_;
    DriveState drives_;  // last: its devices close while the seam is installed
};

std::unique_ptr<Machine> MakeMachine(bool kernel, const std::string& text)
{
    if (kernel) {
        return std::make_unique<KernelMachine>(text);
    }
    return std::make_unique<WindowsMachine>(text);
}

class AsleepAtStart : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteWholeFile("HDDATA.CFG", "KVX = 194\n");
        ASSERT_EQ(LoadDriveDatabase("HDDATA.CFG"), 1);
    }
    void TearDown() override { TheDriveDatabase().Clear(); }

    WorkingDirectory directory_;
    Settings settings_;
};

std::string WorstSection()
{
    const std::string ini = FileExists("KELVIX.INI") ? ReadWholeFile("KELVIX.INI") : std::string();
    const std::size_t at = ini.find("[Worst]");
    return at == std::string::npos ? std::string() : ini.substr(at);
}

struct WayCase {
    const char* name;
    const char* extra;        // drive 1's further keys
    bool kernel;              // through the pass-through seam (kelvixd)
    const char* earlyModel;   // the descriptor's identity while asleep
    const char* earlySerial;
};

TEST_F(AsleepAtStart, OnlyThePowerQuestionUntilItWakesThenItsOwnIdentity)
{
    const WayCase cases[] = {
        {"both power calls", "", false, "ATA KVX WDC WD800JB-", "WMAJ91234567"},
        {"only CHECK POWER MODE", "power-calls ata\n", false, "ATA KVX WDC WD800JB-", "WMAJ91234567"},
        {"only GetDevicePowerState", "power-calls state\n", false, "ATA KVX WDC WD800JB-", "WMAJ91234567"},
        {"behind a 16-byte bridge", "bridge sat16\n", false, "ATA KVX WDC WD800JB-", "WMAJ91234567"},
        {"behind a 12-byte bridge", "bridge sat12\n", false, "ATA KVX WDC WD800JB-", "WMAJ91234567"},
        {"kelvixd's pass-through seam", "", true, "ATA KVX WDC WD800JB-", "WMAJ91234567"},
    };
    for (const WayCase& c : cases) {
        SCOPED_TRACE(c.name);
        // A worst value kept from an earlier run, under the drive's own identity.
        WriteWholeFile("KELVIX.INI", "[Worst]\r\nKVX WDC WD800JB-00JJC0:05.01C05:WMAJ91234567=0x2F\r\n");
        const std::string text = kDrives + "sleep start 3\n" + c.extra;
        std::unique_ptr<Machine> machine = MakeMachine(c.kernel, text);
        DriveState* drives = &machine->Drives();
        EnumerateDrives(*drives);
        DriveRecord& record = drives->table[1];
        ASSERT_EQ(drives->presentCount, 2u);
        EXPECT_EQ(record.sleeping, 1);
        EXPECT_EQ(record.identityPending, 1);
        EXPECT_STREQ(record.model, c.earlyModel);
        EXPECT_STREQ(record.serial, c.earlySerial);
        EXPECT_EQ(record.worstTemperature, 0) << "nothing loaded under the early identity";
        // Start (check 1), then checks 2 and 3 asleep; check 4 finds it awake.
        const char* expected[] = {"S", "S", "S", "R"};
        for (const char* tick : expected) {
            MeasureAll(*drives, settings_);
            EXPECT_EQ(record.sleeping != 0, *tick == 'S');
        }
        EXPECT_EQ(machine->CommandsAsleep(), 0u) << "no IDENTIFY or S.M.A.R.T. command reached it asleep";
        EXPECT_EQ(machine->Checks(), 4u) << "one question a tick, the first at enumeration";
        EXPECT_EQ(record.identityPending, 0);
        EXPECT_STREQ(record.model, "KVX WDC WD800JB-00JJC0");
        EXPECT_STREQ(record.firmware, "05.01C05");
        EXPECT_EQ(record.currentTemperature, 40) << "its first read";
        EXPECT_EQ(record.worstTemperature, 47) << "the worst value kept under its own identity";
        MeasureAll(*drives, settings_);
        EXPECT_EQ(record.currentTemperature, 41);
        EXPECT_EQ(WorstSection(), "[Worst]\r\nKVX WDC WD800JB-00JJC0:05.01C05:WMAJ91234567=0x2F\r\n"
                                  "KVX AWAKE:1.00:AWAKE1=0x22\r\n")
            << "one entry per drive";
        std::remove("KELVIX.INI");
    }
}

TEST_F(AsleepAtStart, AForcedReadCompletesTheIdentityAndSavesOnlyUnderIt)
{
    WindowsMachine machine(kDrives + "sleep start\n");
    settings_.WakeAfter = 2;
    EnumerateDrives(machine.Drives());
    DriveRecord& record = machine.Drives().table[1];
    std::string ticks;
    for (int tick = 0; tick < 4; ++tick) {
        const std::uint64_t before = machine.Commands();
        MeasureAll(machine.Drives(), settings_);
        ticks += machine.Commands() != before ? 'R' : 'S';
    }
    // The start and one more tick asleep, then the forced read: its identity and
    // tables (enable, identify, attributes, thresholds) and RETURN STATUS, the temperature
    // from them.
    EXPECT_EQ(ticks, "SSRS");
    EXPECT_EQ(machine.CommandsAsleep(), 5u);
    EXPECT_EQ(record.identityPending, 0);
    EXPECT_EQ(record.currentTemperature, 40);
    EXPECT_EQ(WorstSection().find("ATA "), std::string::npos);
    EXPECT_NE(WorstSection().find("KVX WDC WD800JB-00JJC0:05.01C05:WMAJ91234567=0x28"), std::string::npos);
}

TEST_F(AsleepAtStart, WithoutNoWakeEveryDriveIsReadAtStartAndOnce)
{
    WindowsMachine machine(kDrives + "sleep start\n");
    settings_.NoWake = 0;
    EnumerateDrives(machine.Drives(), false);
    EXPECT_EQ(machine.Checks(), 0u) << "nothing asked";
    EXPECT_EQ(machine.Drives().table[1].identityPending, 0);
    const std::uint64_t atStart = machine.Commands();
    MeasureAll(machine.Drives(), settings_);
    EXPECT_EQ(machine.Commands(), atStart) << "the first measurement takes enumeration's read";
    EXPECT_EQ(machine.Drives().table[1].currentTemperature, 40);
    MeasureAll(machine.Drives(), settings_);
    EXPECT_EQ(machine.Drives().table[1].currentTemperature, 41);
}

// sysfs: the libata device behind a SCSI disk, and the IDENTIFY words it keeps.
TEST(LibataSysfs, DeviceNamesFromTheScsiPath)
{
    const struct {
        const char* path;
        const char* name;
    } cases[] = {
        {"/sys/devices/pci0000:00/0000:00:1f.2/ata3/host2/target2:0:0/2:0:0:0", "dev3.0"},
        {"/sys/devices/pci0000:00/0000:00:01.1/ata1/host0/target0:0:1/0:0:1:0", "dev1.1"},
        {"/sys/devices/pci0000:00/0000:00:1f.2/ata12/host11/target11:2:0/11:2:0:0", "dev12.2.0"},
        {"/sys/devices/pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/target6:0:0/6:0:0:0", ""},
        {"/sys/devices/ata3/host2/target2:0:0/2:0:0", ""},
        {"/sys/devices/ata3/host2/target2:0:0/2:0:0:0x", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AtaDeviceName(c.path), c.name) << c.path;
    }
}

TEST(LibataSysfs, CachedIdentifyWordsBecomeTheSector)
{
    std::string text;
    for (unsigned word = 0; word < 256; ++word) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%04x%c", word == 27 ? 0x4b56u : word * 0x101u % 0x10000u,
                      (word + 1) % 8 != 0 ? ' ' : '\n');
        text += hex;
    }
    std::uint8_t sector[512] = {};
    ASSERT_TRUE(ParseCachedIdentify(text, sector));
    EXPECT_EQ(sector[54], 0x56) << "word 27 low byte first: the model's second character";
    EXPECT_EQ(sector[55], 0x4b);
    EXPECT_EQ(sector[2 * 200], 200 * 0x101 % 0x10000 & 0xFF);
    const std::string bad[] = {text.substr(0, text.size() - 5), text + "0000\n", "zz" + text.substr(2),
                               text.substr(0, 4) + "0" + text.substr(4), std::string()};
    for (const std::string& b : bad) {
        EXPECT_FALSE(ParseCachedIdentify(b, sector));
    }
}

}  // namespace
