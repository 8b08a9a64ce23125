// NVMe drives behind USB bridges and Intel RST: the command bytes of each form, each
// route read exactly as the same drive attached directly, a garbling bridge giving no
// number, and the mended SAT replies (aborts without registers, time-outs).
#include "drive_enumeration.h"
#include "intel_rst_nvme.h"
#include "measurement.h"
#include "nvme_plausibility.h"
#include "scsi_records.h"
#include "sensing_test_support.h"
#include "usb_nvme_bridge.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

NvmeAdminCommand Identify()
{
    NvmeAdminCommand c;
    c.opcode = kNvmeAdminIdentify;
    c.cdw10 = 1;
    return c;
}

NvmeAdminCommand HealthLog()
{
    NvmeAdminCommand c;
    c.opcode = kNvmeAdminGetLogPage;
    c.namespaceId = kNvmeAllNamespaces;
    c.cdw10 = 0x007F0002;  // log 2, 128 dwords
    return c;
}

Bytes Cdb(const BridgeStep& step)
{
    return Bytes(step.cdb, step.cdb + step.cdbLength);
}

TEST(NvmeBridgeForms, CommandBlocksAsTheBridgesWantThem)
{
    BridgeStep step;
    ASSERT_TRUE(BuildAsmediaStep(HealthLog(), 512, step));
    EXPECT_EQ(Cdb(step), (Bytes{0xE6, 0x02, 0, 0x02, 0, 0, 0, 0x7F, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(step.direction, BridgeDirection::In);
    ASSERT_TRUE(BuildAsmediaStep(Identify(), 4096, step));
    EXPECT_EQ(Cdb(step), (Bytes{0xE6, 0x06, 0, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    ASSERT_TRUE(BuildRealtekStep(HealthLog(), 512, step));
    EXPECT_EQ(Cdb(step), (Bytes{0xE4, 0x00, 0x02, 0x02, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    ASSERT_TRUE(BuildRealtekStep(Identify(), 4096, step));
    EXPECT_EQ(Cdb(step), (Bytes{0xE4, 0x00, 0x10, 0x06, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));

    BridgeStep steps[kJmicronStepCount];
    std::uint8_t payload[kJmicronPayloadSize];
    ASSERT_TRUE(BuildJmicronSteps(HealthLog(), 512, steps, payload));
    EXPECT_EQ(Cdb(steps[0]), (Bytes{0xA1, 0x80, 0, 0, 0x02, 0x00, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(steps[0].direction, BridgeDirection::Out);
    EXPECT_EQ(Cdb(steps[1]), (Bytes{0xA1, 0x82, 0, 0, 0x02, 0x00, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Cdb(steps[2]), (Bytes{0xA1, 0x8F, 0, 0, 0x02, 0x00, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Bytes(payload, payload + 16), (Bytes{'N', 'V', 'M', 'E', 0, 0, 0, 0, 2, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(Bytes(payload + 48, payload + 52), (Bytes{0x02, 0x00, 0x7F, 0x00}));
    ASSERT_TRUE(BuildJmicronSteps(Identify(), 4096, steps, payload));
    EXPECT_EQ(Cdb(steps[1]), (Bytes{0xA1, 0x82, 0, 0, 0x10, 0x00, 0, 0, 0, 0, 0, 0}));

    std::uint8_t completion[512] = {'N', 'V', 'M', 'E'};
    EXPECT_TRUE(JmicronCompletionOk(completion, sizeof completion));
    completion[22] = 0x04;  // status field, bit 17 up
    EXPECT_FALSE(JmicronCompletionOk(completion, sizeof completion));
    completion[22] = 0x01;  // the phase tag bit (16) is no status
    EXPECT_TRUE(JmicronCompletionOk(completion, sizeof completion));
    completion[0] = 'X';
    EXPECT_FALSE(JmicronCompletionOk(completion, sizeof completion));
}

TEST(NvmeBridgeForms, NothingButTheTwoReadsIsEverBuilt)
{
    // A write (01h), format (80h), firmware commit (10h), another log or length: refused.
    const struct {
        std::uint8_t opcode;
        std::uint32_t cdw10;
        std::uint32_t length;
    } cases[] = {{0x01, 0, 512}, {0x80, 0, 0}, {0x10, 0, 0}, {0x09, 0, 0}, {0x02, 0x007F0001, 512},
                 {0x02, 0x00FF0002, 1024}, {0x06, 0, 4096}, {0x06, 1, 512}};
    for (const auto& c : cases) {
        NvmeAdminCommand command;
        command.opcode = c.opcode;
        command.cdw10 = c.cdw10;
        BridgeStep step;
        BridgeStep steps[kJmicronStepCount];
        std::uint8_t payload[kJmicronPayloadSize];
        static std::uint8_t request[kRstRequestSize];
        EXPECT_FALSE(BuildAsmediaStep(command, c.length, step)) << int(c.opcode);
        EXPECT_FALSE(BuildRealtekStep(command, c.length, step)) << int(c.opcode);
        EXPECT_FALSE(BuildJmicronSteps(command, c.length, steps, payload)) << int(c.opcode);
        EXPECT_FALSE(BuildRstRequest(command, c.length, ScsiAddress{}, request)) << int(c.opcode);
    }
}

TEST(NvmeBridgeForms, IntelRstRecord)
{
    static std::uint8_t request[kRstRequestSize];
    ScsiAddress address;
    address.port = 2;
    address.path = 3;
    ASSERT_TRUE(BuildRstRequest(HealthLog(), 512, address, request));
    EXPECT_EQ(Bytes(request, request + 28),
              (Bytes{0x1C, 0, 0, 0, 'I', 'n', 't', 'e', 'l', 'N', 'v', 'm', 10, 0, 0, 0, 0x08, 0x28, 0x00, 0xF0, 0, 0, 0, 0,
                     0x88, 0x10, 0, 0}));
    EXPECT_EQ(Bytes(request + 0x1C, request + 0x28), (Bytes{1, 3, 0, 0, 0x02, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(Bytes(request + 0x48, request + 0x4C), (Bytes{0x02, 0x00, 0x7F, 0x00}));
    EXPECT_EQ(Bytes(request + 0x74, request + 0x7C), (Bytes{0xA4, 0, 0, 0, 0x00, 0x10, 0, 0}));
    EXPECT_TRUE(RstReplyOk(request, kRstRequestSize, 512));
    EXPECT_FALSE(RstReplyOk(request, kRstDataOffset + 511, 512)) << "short";
    request[kRstCompletionOffset + 14] = 0x04;  // status field
    EXPECT_FALSE(RstReplyOk(request, kRstRequestSize, 512));
}

TEST(NvmeBridgeForms, OnlyTheNamedBridgeIsAsked)
{
    const struct {
        const char* vendor;
        const char* product;
        bool jmicron, asmedia, realtek;
    } cases[] = {{"JMicron", "Generic", true, false, false},   {"", "JMS583 NVMe", true, false, false},
                 {"ASMT", "2362", false, true, false},          {"", "asm2364", false, true, false},
                 {"Realtek", "RTL9210 NVME", false, false, true}, {"Samsung", "Portable SSD T7", false, false, false},
                 {nullptr, nullptr, false, false, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(BridgeMayApply(NvmeRoute::JMicron, c.vendor, c.product), c.jmicron) << (c.product ? c.product : "-");
        EXPECT_EQ(BridgeMayApply(NvmeRoute::ASMedia, c.vendor, c.product), c.asmedia) << (c.product ? c.product : "-");
        EXPECT_EQ(BridgeMayApply(NvmeRoute::Realtek, c.vendor, c.product), c.realtek) << (c.product ? c.product : "-");
    }
}

const char kNvmeDrive[] = "nvme\nmodel Samsung SSD 980 PRO 1TB\nfirmware 5B2QGXA7\nserial S5GXNF0R123456\n"
                          "capacity 1000204886016\ntemperature 45 47\nhealth spare 97\nhealth used 3\n"
                          "health power-on-hours 1234\n";

TEST(NvmeRoutes, EachRouteReadsTheDriveAsDirectly)
{
    WorkingDirectory directory;  // KELVIX.INI keeps worst values per drive
    Settings settings;
    settings.UseLog = 0;
    SimulatedMachine direct(std::string("drive 0\n") + kNvmeDrive);
    EnumerateDrives(direct.drives);
    const DriveRecord& expected = direct.drives.table[0];
    ASSERT_EQ(expected.present, 1u);
    ASSERT_EQ(MeasureAll(direct.drives, settings), 1u);

    const struct {
        const char* via;
        NvmeRoute route;
        const char* mode;
    } cases[] = {{"jmicron", NvmeRoute::JMicron, "USB NVMe (JMicron)"},
                 {"asmedia", NvmeRoute::ASMedia, "USB NVMe (ASMedia)"},
                 {"realtek", NvmeRoute::Realtek, "USB NVMe (Realtek)"},
                 {"rst", NvmeRoute::IntelRst, "RST NVMe"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.via);
        // An ATA drive first, so the routed one is not drive 0 (RST picks by path).
        SimulatedMachine machine(std::string("drive 0\nmodel ST380011A\ntemperature 194 35\ndrive 1\n") + kNvmeDrive +
                                 "via " + c.via + "\n");
        EnumerateDrives(machine.drives);
        const DriveRecord& record = machine.drives.table[1];
        ASSERT_EQ(record.present, 1u);
        EXPECT_EQ(record.kind, DriveKind::Nvme);
        EXPECT_EQ(record.nvme.Route(), c.route);
        EXPECT_STREQ(record.model, expected.model);
        EXPECT_STREQ(record.firmware, expected.firmware);
        EXPECT_STREQ(record.serial, expected.serial);
        EXPECT_STREQ(record.capacityText, expected.capacityText);
        EXPECT_STREQ(record.transferModeText, c.mode);
        ASSERT_NE(record.nvmeIdentifyResult, nullptr);
        EXPECT_EQ(std::memcmp(record.nvmeIdentifyResult, expected.nvmeIdentifyResult, kNvmeIdentifySize), 0);
        EXPECT_EQ(MeasureAll(machine.drives, settings), 2u);
        EXPECT_EQ(record.currentTemperature, expected.currentTemperature);
        ASSERT_NE(record.healthResult, nullptr);
        EXPECT_EQ(std::memcmp(record.healthResult, expected.healthResult, kNvmeHealthSize), 0);
        EXPECT_EQ(record.lastReadFailed, 0u);
    }
}

TEST(NvmeRoutes, AGarblingBridgeGivesNoNumber)
{
    WorkingDirectory directory;  // KELVIX.INI keeps worst values per drive
    Settings settings;
    settings.UseLog = 0;
    SimulatedMachine machine(std::string("drive 0\n") + kNvmeDrive + "via realtek-garbling\n");
    EnumerateDrives(machine.drives);
    const DriveRecord& record = machine.drives.table[0];
    ASSERT_EQ(record.present, 1u) << "listed with its identity";
    EXPECT_STREQ(record.model, "Samsung SSD 980 PRO 1TB");
    EXPECT_EQ(record.healthResult, nullptr);
    EXPECT_EQ(MeasureAll(machine.drives, settings), 0u);
    EXPECT_EQ(record.currentTemperature, 0);
    EXPECT_EQ(record.worstTemperature, 0);
    EXPECT_EQ(record.lastReadFailed, 1u);
}

TEST(NvmeRoutes, NoMakerCommandReachesADriveNotNamingTheBridge)
{
    // A USB drive whose descriptor names no bridge maker, and one behind a SAT bridge.
    SimulatedMachine machine(
        "drive 0\nmodel Portable SSD T7\ntemperature-property 70 80 41\n"
        "drive 1\nmodel WDC WD20EZRZ\nbridge sat16\ntemperature 194 38\n");
    EnumerateDrives(machine.drives);
    EXPECT_EQ(machine.drives.presentCount, 2u);
    for (const SimulatedRequest& request : machine.bus.Requests()) {
        EXPECT_NE(request.code, kIoctlScsiMiniport);
        if (request.code == kIoctlScsiPassThrough) {
            EXPECT_TRUE(request.opcode == kSatOpcode16 || request.opcode == kSatOpcode12) << int(request.opcode);
        }
    }
}

TEST(NvmePlausibility, PagesWorthShowing)
{
    std::uint8_t identify[kNvmeIdentifySize];
    std::memset(identify, ' ', kNvmeFirmwareOffset + kNvmeFirmwareLength);
    std::memcpy(identify + kNvmeModelOffset, "KX", 2);
    EXPECT_TRUE(PlausibleIdentify(identify));
    identify[kNvmeSerialOffset] = 0x07;
    EXPECT_FALSE(PlausibleIdentify(identify));
    identify[kNvmeSerialOffset] = ' ';
    identify[kNvmeModelOffset] = identify[kNvmeModelOffset + 1] = ' ';
    EXPECT_FALSE(PlausibleIdentify(identify)) << "blank model";

    std::uint8_t health[kNvmeHealthSize] = {};
    const struct {
        unsigned kelvin;
        bool plausible;
    } temperatures[] = {{0, true}, {172, false}, {173, true}, {318, true}, {473, true}, {474, false}};
    for (const auto& t : temperatures) {
        health[1] = static_cast<std::uint8_t>(t.kelvin);
        health[2] = static_cast<std::uint8_t>(t.kelvin >> 8);
        EXPECT_EQ(PlausibleHealth(health), t.plausible) << t.kelvin;
    }
    health[1] = 0x3E;
    health[2] = 0x01;
    health[511] = 1;
    EXPECT_FALSE(PlausibleHealth(health)) << "reserved bytes set";
}

// The mended SAT path: an abort in fixed format without registers is no answer, and the
// drive is neither marked asleep nor left unread for it.
TEST(SatReplies, AnAbortWithoutRegistersIsNoAnswer)
{
    WorkingDirectory directory;  // KELVIX.INI keeps worst values per drive
    Settings settings;
    settings.UseLog = 0;
    settings.NoWake = 1;
    settings.WakeAfter = 0;
    SimulatedMachine machine("drive 0\nmodel WDC WD20EZRZ\nbridge sat16-fixed-sense\npower-calls none\n"
                             "temperature 194 38 39 40\n");
    EnumerateDrives(machine.drives);
    DriveRecord& record = machine.drives.table[0];
    ASSERT_EQ(record.present, 1u);
    AtaTaskfile checkPowerMode;
    checkPowerMode.command = kAtaCheckPowerMode;
    const SatReply reply = record.device.SatNonData(checkPowerMode);
    EXPECT_FALSE(reply.done);
    EXPECT_FALSE(reply.registersKnown);
    for (int tick = 0; tick < 2; ++tick) {
        EXPECT_EQ(MeasureAll(machine.drives, settings), 1u);
        EXPECT_EQ(record.sleeping, 0u);
    }
    EXPECT_EQ(record.currentTemperature, 39) << "enumeration's 38, then one read";
}

std::uint32_t TimeoutOf(const SimulatedRequest& request)
{
    std::uint32_t value = 0;
    std::memcpy(&value, request.record + offsetof(SCSI_PASS_THROUGH, TimeOutValue), sizeof value);
    return value;
}

TEST(SatReplies, LongWaitsOnlyWhileTheDriveAnswers)
{
    WorkingDirectory directory;  // KELVIX.INI keeps worst values per drive
    Settings settings;
    settings.UseLog = 0;
    settings.NoWake = 0;
    // Enumeration's seven requests (the power question, the identify probe, enable, identify,
    // attributes, thresholds, RETURN STATUS) answer; the first tick takes enumeration's
    // reading, and from the second tick's attribute read on none answers.
    SimulatedMachine machine("drive 0\nmodel WDC WD20EZRZ\nbridge sat16\ntemperature 194 38\nfail answers from 8\n");
    EnumerateDrives(machine.drives);
    ASSERT_EQ(machine.drives.table[0].present, 1u);
    for (int tick = 0; tick < 3; ++tick) {
        MeasureAll(machine.drives, settings);
    }
    std::vector<std::uint32_t> timeouts;
    for (const SimulatedRequest& request : machine.bus.Requests()) {
        if (request.code == kIoctlScsiPassThrough) {
            timeouts.push_back(TimeoutOf(request));
        }
    }
    // The power question first, then six commands that answer and the first that does not;
    // after that only short waits.
    EXPECT_EQ(timeouts, (std::vector<std::uint32_t>{5, 60, 60, 60, 60, 60, 60, 60, 5}));
    EXPECT_EQ(SatTimeoutSeconds(kAtaCheckPowerMode, true), 5u) << "the power question never spins a disk up";
}

}  // namespace
