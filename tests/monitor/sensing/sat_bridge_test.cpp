// ATA drives behind USB bridges: enumerated and measured through SCSI ATA PASS-THROUGH,
// in the form each bridge knows, and read exactly as the same drive attached directly.
#include "ata_records.h"
#include "drive_database.h"
#include "drive_enumeration.h"
#include "measurement.h"
#include "scsi_records.h"
#include "sensing_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const char kDrive[] =
    "model WDC WD20EZRZ-00Z5HB0\nfirmware 80.00A80\nserial WD-WCC4M1234567\nsectors 3907029168\nudma 6\n"
    "attribute 1 0x002f 200 200 00 00\nattribute 9 0x0032 090 090 10 27\nattribute 194 0x0022 112 100 26\n"
    "threshold 1 51\nthreshold 194 0\n";

class SatBridge : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteWholeFile("HDDATA.CFG", "WDC WD = 194\n");
        ASSERT_EQ(LoadDriveDatabase("HDDATA.CFG"), 1);
    }
    void TearDown() override { TheDriveDatabase().Clear(); }

    WorkingDirectory directory_;
    Settings settings_;
};

unsigned CountOpcode(const SimulatedDiskBus& bus, std::uint8_t opcode)
{
    unsigned count = 0;
    for (const SimulatedRequest& request : bus.Requests()) {
        count += request.code == kIoctlScsiPassThrough && request.opcode == opcode ? 1 : 0;
    }
    return count;
}

TEST_F(SatBridge, EachBridgeFormReadsTheDriveAsDirectly)
{
    settings_.UseLog = 0;
    SimulatedMachine direct(std::string("drive 0\n") + kDrive);
    EnumerateForLaterTicks(direct.drives);
    const DriveRecord& expected = direct.drives.table[0];
    ASSERT_EQ(expected.present, 1u);
    ASSERT_EQ(expected.device.Route(), AtaRoute::Smart);
    ASSERT_STREQ(expected.model, "WDC WD20EZRZ-00Z5HB0");

    const struct {
        const char* bridge;
        AtaRoute route;
        unsigned probes16;  // 16-byte blocks sent while enumerating, the power question first
        // Blocks of the two ticks: the power question, the read and RETURN STATUS each; a
        // bridge that drops the registers refused RETURN STATUS once and is asked it no more.
        unsigned tickBlocks;
        ReturnStatus status;
    } cases[] = {
        {"sat16", AtaRoute::Sat16, 7, 6, ReturnStatus::Passed},
        {"sat12", AtaRoute::Sat12, 2, 6, ReturnStatus::Passed},
        {"sat16-no-status", AtaRoute::Sat16, 7, 4, ReturnStatus::NotAsked},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bridge);
        SimulatedMachine machine(std::string("drive 0\n") + kDrive + "bridge " + c.bridge + "\ntemperature 194 38 39\n");
        EnumerateForLaterTicks(machine.drives);
        const DriveRecord& record = machine.drives.table[0];
        ASSERT_EQ(record.present, 1u);
        EXPECT_EQ(record.kind, DriveKind::Ata);
        EXPECT_EQ(record.device.Route(), c.route);
        EXPECT_STREQ(record.model, expected.model);
        EXPECT_STREQ(record.firmware, "80.00A80");
        EXPECT_STREQ(record.serial, "WD-WCC4M1234567");
        EXPECT_STREQ(record.capacityText, "1.95TB");  // 3907029168 sectors at 2000 a MB
        EXPECT_STREQ(record.transferModeText, "UltraDMA-6");
        EXPECT_EQ(record.versionResult, nullptr) << "a bridge has no driver version";
        ASSERT_NE(record.identifyResult, nullptr);
        EXPECT_EQ(std::memcmp(record.identifyResult, expected.identifyResult, kSmartSectorSize), 0);
        ASSERT_NE(record.thresholdResult, nullptr);
        EXPECT_EQ(std::memcmp(record.thresholdResult - kSmartTableOffset, expected.thresholdResult - kSmartTableOffset,
                              kSmartSectorSize),
                  0);
        EXPECT_EQ(record.temperatureAttributeId, 194);
        EXPECT_EQ(record.temperatureSource, TemperatureSource::Database);
        EXPECT_EQ(CountOpcode(machine.bus, kSatOpcode16), c.probes16);
        EXPECT_EQ(machine.bus.RequestCount(kSmartRcvDriveData), 0u) << "the bridge answers no S.M.A.R.T. request";

        // Measuring goes straight to the form that worked.
        machine.bus.ClearLog();
        EXPECT_EQ(MeasureAll(machine.drives, settings_), 1u);
        EXPECT_EQ(record.currentTemperature, 39);  // enumeration took the first reading
        EXPECT_EQ(MeasureAll(machine.drives, settings_), 1u);
        EXPECT_EQ(record.currentTemperature, 38);
        // Each tick asks the drive through the bridge whether it sleeps, then reads it the
        // same way. Only where the bridge drops the registers is the driver asked too (its
        // ATA pass-through, refused by a USB storage driver).
        const bool registersDropped = std::strcmp(c.bridge, "sat16-no-status") == 0;
        EXPECT_EQ(CountOpcode(machine.bus, c.route == AtaRoute::Sat16 ? kSatOpcode16 : kSatOpcode12), c.tickBlocks);
        EXPECT_EQ(machine.bus.RequestCount(kIoctlAtaPassThrough), registersDropped ? 2u : 0u);
        EXPECT_EQ(machine.bus.RequestCount(), c.tickBlocks + (registersDropped ? 2u : 0u));
        EXPECT_EQ(record.returnStatus, c.status);
        EXPECT_EQ(record.returnStatusRefused, registersDropped ? 1 : 0);
    }
}

TEST_F(SatBridge, RegistersComeBackUnlessTheBridgeDropsThem)
{
    AtaTaskfile checkPowerMode;
    checkPowerMode.command = 0xE5;
    checkPowerMode.device = 0xA0;
    AtaTaskfile unknown;
    unknown.command = 0xFA;
    const struct {
        const char* bridge;
        AtaTaskfile task;
        bool done;
        bool registersKnown;
        std::uint8_t status;
        std::uint8_t count;
    } cases[] = {
        {"sat16", checkPowerMode, true, true, 0x50, 0xFF},  // awake: active or idle
        {"sat12", checkPowerMode, true, true, 0x50, 0xFF},
        {"sat16-no-status", checkPowerMode, true, false, 0, 0},
        {"sat16", unknown, false, true, 0x51, 0},  // the simulated drive aborts it
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bridge);
        SimulatedMachine machine(std::string("drive 0\n") + kDrive + "bridge " + c.bridge + "\n");
        EnumerateForLaterTicks(machine.drives);
        ASSERT_EQ(machine.drives.table[0].present, 1u);
        const SatReply reply = machine.drives.table[0].device.SatNonData(c.task);
        EXPECT_EQ(reply.done, c.done);
        EXPECT_EQ(reply.registersKnown, c.registersKnown);
        EXPECT_EQ(reply.registers.status, c.status);
        EXPECT_EQ(reply.registers.sectorCount, c.count);
    }
    // S.M.A.R.T. ENABLE is done with the registers asked back: the no-status bridge says
    // it was done without them.
    for (const char* bridge : {"sat16", "sat16-no-status"}) {
        SimulatedMachine machine(std::string("drive 0\n") + kDrive + "bridge " + bridge + "\n");
        EnumerateForLaterTicks(machine.drives);
        AtaTaskfile enable;
        enable.command = kAtaSmart;
        enable.features = kSmartEnableOperations;
        enable.lbaMid = kSmartCylLow;
        enable.lbaHigh = kSmartCylHigh;
        const SatReply reply = machine.drives.table[0].device.SatNonData(enable);
        EXPECT_TRUE(reply.done) << bridge;
        EXPECT_EQ(reply.registersKnown, std::string(bridge) == "sat16") << bridge;
    }
    // A drive read directly has no bridge to send through.
    SimulatedMachine direct(std::string("drive 0\n") + kDrive);
    EnumerateForLaterTicks(direct.drives);
    EXPECT_FALSE(direct.drives.table[0].device.SatNonData(checkPowerMode).done);
}

TEST_F(SatBridge, DrivesTheBridgeCannotReadAreSkipped)
{
    const struct {
        const char* name;
        std::string text;
        bool present;
    } cases[] = {
        {"identify fails", std::string(kDrive) + "bridge sat16\nfail identify\n", false},
        {"thresholds fail", std::string(kDrive) + "bridge sat12\nfail thresholds\n", false},
        {"packet device", "atapi\nbridge sat16\n", false},
        {"enable refused, tables read", std::string(kDrive) + "bridge sat16\nfail enable\n", true},
        {"9x has no pass-through", "bridge sat16\n", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string platform = std::string(c.name) == "9x has no pass-through" ? "platform 1\n" : "";
        SimulatedMachine machine(platform + "drive 0\n" + c.text);
        EnumerateForLaterTicks(machine.drives);
        EXPECT_EQ(machine.drives.table[0].present, c.present ? 1u : 0u);
        EXPECT_EQ(machine.drives.presentCount, c.present ? 1u : 0u);
    }
}

TEST_F(SatBridge, FailingReadThroughTheBridgeKeepsTheLastTemperature)
{
    settings_.UseLog = 0;
    SimulatedMachine machine(std::string("drive 0\n") + kDrive + "bridge sat16\ntemperature 194 41\nfail attributes from 3\n");
    EnumerateForLaterTicks(machine.drives);
    EXPECT_EQ(MeasureAll(machine.drives, settings_), 1u);
    EXPECT_EQ(MeasureAll(machine.drives, settings_), 0u);
    EXPECT_EQ(machine.drives.table[0].currentTemperature, 41);
    EXPECT_EQ(machine.drives.table[0].present, 1u);
}

TEST_F(SatBridge, SectorFilesReadTheSameThroughTheBridge)
{
    settings_.UseLog = 0;
    // Sectors dumped from a drive: written once here from a known drive, then replayed
    // by a direct drive and by one behind each bridge.
    SimulatedMachine source(std::string("drive 0\n") + kDrive);
    const SimulatedDrive& dumped = source.bus.Drives().drives[0];
    WriteWholeFile("disk.identify", std::string(reinterpret_cast<const char*>(dumped.identify), kSmartSectorSize));
    WriteWholeFile("disk.smart", std::string(reinterpret_cast<const char*>(dumped.smartData), kSmartSectorSize));
    WriteWholeFile("disk.thresholds", std::string(reinterpret_cast<const char*>(dumped.thresholds), kSmartSectorSize));
    const std::string files = "identify-file disk.identify\nsmart-file disk.smart\nthresholds-file disk.thresholds\n";
    for (const char* bridge : {"", "bridge sat16\n", "bridge sat12\n", "bridge sat16-no-status\n"}) {
        SCOPED_TRACE(bridge);
        WriteWholeFile("disk.driveset", std::string("drive 0\n") + bridge + files);
        DriveSet set;
        std::string error;
        ASSERT_TRUE(LoadDriveSet("disk.driveset", set, error)) << error;
        SimulatedMachine machine(set);
        EnumerateForLaterTicks(machine.drives);
        const DriveRecord& record = machine.drives.table[0];
        ASSERT_EQ(record.present, 1u);
        EXPECT_STREQ(record.model, "WDC WD20EZRZ-00Z5HB0");
        EXPECT_STREQ(record.serial, "WD-WCC4M1234567");
        EXPECT_EQ(std::memcmp(record.identifyResult, dumped.identify, kSmartSectorSize), 0);
        EXPECT_EQ(MeasureAll(machine.drives, settings_), 1u);
        EXPECT_EQ(record.currentTemperature, 0x26);  // raw byte 0 of 194 in the dump
        std::uint8_t raw[6] = {};
        ASSERT_TRUE(record.device.FindAttribute(9, raw));
        EXPECT_EQ(raw[0], 0x10);
        EXPECT_EQ(raw[1], 0x27);
    }
}

// A drive asleep behind a bridge: asked through the bridge, it gets no read while it
// sleeps and keeps its last temperature; where the bridge drops the registers nothing
// answers the question and the drive is read as before.
TEST_F(SatBridge, ASleepingDriveBehindABridgeIsLeftAsleep)
{
    settings_.UseLog = 0;
    settings_.NoWake = 1;
    settings_.WakeAfter = 0;
    const struct {
        const char* bridge;
        bool leftAsleep;
    } cases[] = {{"sat16", true}, {"sat12", true}, {"sat16-no-status", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bridge);
        // Awake at enumeration's power question, asleep for the next two.
        SimulatedMachine machine(std::string("drive 0\n") + kDrive + "bridge " + c.bridge +
                                 "\ntemperature 194 38 39 40 41\npower-calls none\nsleep 2 3\n");
        EnumerateForLaterTicks(machine.drives);
        DriveRecord& record = machine.drives.table[0];
        ASSERT_EQ(record.present, 1u);
        const std::uint64_t commandsBefore = machine.bus.SmartCommands(0);
        EXPECT_EQ(MeasureAll(machine.drives, settings_), 1u);
        EXPECT_EQ(record.sleeping, c.leftAsleep ? 1u : 0u);
        EXPECT_EQ(record.currentTemperature, c.leftAsleep ? 38 : 39) << "asleep: enumeration's reading stays";
        EXPECT_EQ(machine.bus.SmartCommands(0) - commandsBefore, c.leftAsleep ? 0u : 1u);
        // Past its two sleeping questions it is awake and read as usual.
        EXPECT_EQ(MeasureAll(machine.drives, settings_), 1u);
        EXPECT_EQ(MeasureAll(machine.drives, settings_), 1u);
        EXPECT_EQ(record.sleeping, 0u);
        EXPECT_EQ(record.currentTemperature, c.leftAsleep ? 39 : 41) << "reads 2 (after sleeping) or 2 to 4";
    }
}

}  // namespace
