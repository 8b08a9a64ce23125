// NVMe SSDs in USB enclosures as kelvixd reaches them: a SCSI disk on USB whose inquiry
// names the bridge, read through the pass-through seam with the same route choice as on
// Windows. The enclosure below answers the vendor command blocks by their documented byte
// positions, not by the builders, so a wrong block is refused as a real bridge would.
#include "drive_enumeration.h"
#include "measurement.h"
#include "pass_through_disk_control.h"
#include "scsi_records.h"
#include "sensing_test_support.h"
#include "sg_io_outcome.h"
#include "nvme_device.h"
#include "usb_nvme_bridge.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

enum class Answer { Pages, CheckCondition, BadSignature };

struct Enclosure {
    const char* vendor;
    const char* model;
    bool usb;
    NvmeRoute knows;  // the one vendor form the bridge takes
    Answer answer;
};

const char kSsd[] = "drive 0\nnvme\nmodel WD_BLACK SN770 1TB\nserial 22183V800123\nfirmware 731030WD\n"
                    "temperature 47\n";

// /dev/sdb: no ATA translation (every ATA PASS-THROUGH is refused), only its bridge's form.
class EnclosurePort final : public DrivePort {
public:
    explicit EnclosurePort(const Enclosure& enclosure) : enclosure_(enclosure), set_(DriveSetFromText(kSsd)) {}

    std::vector<BridgeStep> steps;
    unsigned ataCommands = 0;
    unsigned nvmeCommands = 0;

    int Open(unsigned number, DriveProtocol& protocol) override
    {
        protocol = DriveProtocol::Ata;
        return number == 0 ? 3 : -1;
    }
    void Close(int) override {}
    std::string Location(unsigned) const override { return "/dev/sdb"; }
    bool Ata(int, const AtaTaskfile&, std::uint8_t*, std::uint32_t, AtaRegisters*) override
    {
        ++ataCommands;
        return false;
    }
    bool NvmeAdmin(int, const NvmeAdminCommand&, std::uint8_t*, std::uint32_t) override
    {
        ++nvmeCommands;
        return false;
    }
    bool Length(int, std::uint64_t&) override { return false; }
    bool Describe(unsigned number, DriveDescription& description) const override
    {
        description.vendor = enclosure_.vendor;
        description.model = enclosure_.model;
        description.usb = enclosure_.usb;
        return number == 0;
    }

    bool Bridge(int, const BridgeStep& step, std::uint8_t* data) override
    {
        steps.push_back(step);
        if (enclosure_.answer == Answer::CheckCondition) {
            return false;
        }
        const std::uint8_t* cdb = step.cdb;
        switch (enclosure_.knows) {
        case NvmeRoute::ASMedia:
            // E6h, NVMe opcode in byte 1, CDW10 bits 7-0 in byte 3, bits 23-16 in byte 7.
            return step.cdbLength == 16 && cdb[0] == 0xE6 && step.direction == BridgeDirection::In &&
                   Page(cdb[1], cdb[3] | static_cast<std::uint32_t>(cdb[7]) << 16, step.length, data);
        case NvmeRoute::Realtek: {
            // E4h, data length in bytes 1-2, NVMe opcode in byte 3, CDW10 bits 7-0 in byte 4.
            const std::uint32_t length = cdb[1] | static_cast<std::uint32_t>(cdb[2]) << 8;
            const std::uint32_t numd = cdb[3] == kNvmeAdminGetLogPage ? (length / 4 - 1) << 16 : 0;
            return step.cdbLength == 16 && cdb[0] == 0xE4 && length == step.length &&
                   step.direction == BridgeDirection::In && Page(cdb[3], cdb[4] | numd, length, data);
        }
        case NvmeRoute::JMicron:
            return Jmicron(step, data);
        default:
            return false;
        }
    }

private:
    bool Page(std::uint8_t opcode, std::uint32_t cdw10, std::uint32_t length, std::uint8_t* data)
    {
        const SimulatedDrive& ssd = set_.drives[0];
        if (opcode == kNvmeAdminIdentify && cdw10 == 1 && length == kNvmeIdentifySize) {
            std::memcpy(data, ssd.nvmeIdentify, length);
            return true;
        }
        if (opcode == kNvmeAdminGetLogPage && cdw10 == 0x007F0002 && length == kNvmeHealthSize) {
            std::memcpy(data, ssd.health, length);
            return true;
        }
        return false;
    }

    // A1h with the admin bit: protocol 0 takes the 512-byte payload ('NVME', opcode in
    // dword 2, CDW10 in dword 12), 2 gives the data, Fh the completion.
    bool Jmicron(const BridgeStep& step, std::uint8_t* data)
    {
        const std::uint8_t* cdb = step.cdb;
        const std::uint32_t length = static_cast<std::uint32_t>(cdb[3]) << 16 | cdb[4] << 8 | cdb[5];
        if (step.cdbLength != 12 || cdb[0] != 0xA1 || (cdb[1] & 0x80) == 0 || length != step.length) {
            return false;
        }
        switch (cdb[1] & 0x7F) {
        case 0x0:
            if (step.direction != BridgeDirection::Out || length != 512 || std::memcmp(data, "NVME", 4) != 0) {
                return false;
            }
            opcode_ = data[8];
            std::memcpy(&cdw10_, data + 48, 4);
            return true;
        case 0x2:
            return step.direction == BridgeDirection::In && Page(opcode_, cdw10_, length, data);
        case 0xF:
            std::memset(data, 0, length);
            std::memcpy(data, enclosure_.answer == Answer::BadSignature ? "NVMX" : "NVME", 4);
            return step.direction == BridgeDirection::In && length == 512;
        default:
            return false;
        }
    }

    Enclosure enclosure_;
    DriveSet set_;
    std::uint8_t opcode_ = 0;
    std::uint32_t cdw10_ = 0;
};

// The machine kelvixd reads: the port under the pass-through seam, enumerated and
// measured once.
struct LinuxMachine {
    explicit LinuxMachine(const Enclosure& enclosure) : port(enclosure), control(port), installed(control)
    {
        drives.probeCount = DetectProbeCount();
        EnumerateDrives(drives);
    }
    EnclosurePort port;
    PassThroughDiskControl control;
    ScopedDiskControl installed;
    DriveState drives;
};

TEST(UsbNvmeOnLinux, EachFamilyIsIdentifiedAndItsTemperatureRead)
{
    WorkingDirectory directory;  // worst values go to KELVIX.INI
    Settings settings;
    settings.UseLog = 0;
    const struct {
        Enclosure enclosure;
        std::uint8_t opcode;  // of every step sent
        const char* mode;
        unsigned stepsPerRead;
    } cases[] = {
        {{"JMicron", "Generic", true, NvmeRoute::JMicron, Answer::Pages}, 0xA1, "USB NVMe (JMicron)", 3},
        {{"", "JMS583 NVMe", true, NvmeRoute::JMicron, Answer::Pages}, 0xA1, "USB NVMe (JMicron)", 3},
        {{"ASMT", "ASM2362 NVMe", true, NvmeRoute::ASMedia, Answer::Pages}, 0xE6, "USB NVMe (ASMedia)", 1},
        {{"Realtek", "RTL9210B NVME", true, NvmeRoute::Realtek, Answer::Pages}, 0xE4, "USB NVMe (Realtek)", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        LinuxMachine machine(c.enclosure);
        const DriveRecord& record = machine.drives.table[0];
        ASSERT_EQ(record.present, 1u);
        EXPECT_EQ(record.kind, DriveKind::Nvme);
        EXPECT_EQ(record.nvme.Route(), c.enclosure.knows);
        EXPECT_STREQ(record.model, "WD_BLACK SN770 1TB");
        EXPECT_STREQ(record.serial, "22183V800123");
        EXPECT_STREQ(record.transferModeText, c.mode);
        EXPECT_GT(machine.port.ataCommands, 0u) << "the ATA reads were tried first, as for any disk";
        EXPECT_EQ(machine.port.nvmeCommands, 0u);
        EXPECT_EQ(MeasureAll(machine.drives, settings), 1u) << "takes enumeration's reading";
        EXPECT_EQ(record.currentTemperature, 47);
        const std::size_t before = machine.port.steps.size();
        EXPECT_EQ(MeasureAll(machine.drives, settings), 1u);
        EXPECT_EQ(record.currentTemperature, 47);
        EXPECT_EQ(machine.port.steps.size(), before + c.stepsPerRead) << "one health read a measurement";
        for (const BridgeStep& step : machine.port.steps) {
            EXPECT_EQ(step.cdb[0], c.opcode) << "no other maker's form";
        }
    }
}

TEST(UsbNvmeOnLinux, ABridgeThatRefusesLeavesTheDriveUnread)
{
    const struct {
        const char* what;
        Enclosure enclosure;
        std::size_t steps;  // sent before the route was given up
    } cases[] = {
        {"JMicron: CHECK CONDITION", {"JMicron", "JMS583 NVMe", true, NvmeRoute::JMicron, Answer::CheckCondition}, 1},
        {"JMicron: completion without its signature",
         {"JMicron", "JMS583 NVMe", true, NvmeRoute::JMicron, Answer::BadSignature}, 3},
        {"ASMedia: CHECK CONDITION", {"ASMT", "ASM2364", true, NvmeRoute::ASMedia, Answer::CheckCondition}, 1},
        {"Realtek: CHECK CONDITION", {"Realtek", "RTL9220", true, NvmeRoute::Realtek, Answer::CheckCondition}, 1},
        {"named Realtek, an ASMedia bridge inside", {"Realtek", "RTL9210", true, NvmeRoute::ASMedia, Answer::Pages}, 1},
        {"no maker named", {"Samsung", "Portable SSD T7", true, NvmeRoute::JMicron, Answer::Pages}, 0},
        {"not on USB", {"JMicron", "JMS583 NVMe", false, NvmeRoute::JMicron, Answer::Pages}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LinuxMachine machine(c.enclosure);
        EXPECT_EQ(machine.drives.table[0].present, 0u);
        EXPECT_EQ(machine.drives.presentCount, 0u);
        EXPECT_EQ(machine.port.steps.size(), c.steps);
        EXPECT_EQ(machine.port.nvmeCommands, 0u);
    }
}

// One SCSI pass-through request as NvmeDevice lays it out.
std::uint32_t SendStep(HANDLE handle, const BridgeStep& step, const std::uint8_t* out)
{
    BridgePassThroughBlock block{};
    block.header.Length = sizeof block.header;
    block.header.CdbLength = step.cdbLength;
    std::memcpy(block.header.Cdb, step.cdb, sizeof block.header.Cdb);
    block.header.SenseInfoLength = sizeof block.sense;
    block.header.DataIn = step.direction == BridgeDirection::In ? kScsiDataIn : kScsiDataOut;
    block.header.DataTransferLength = step.length;
    block.header.DataBufferOffset = offsetof(BridgePassThroughBlock, data);
    block.header.SenseInfoOffset = offsetof(BridgePassThroughBlock, sense);
    if (out != nullptr) {
        std::memcpy(block.data, out, step.length);
    }
    DWORD returned = 0;
    ActiveDiskControl().Request(handle, kIoctlScsiPassThrough, &block, sizeof block, &block, sizeof block, &returned);
    return returned;
}

TEST(UsbNvmeOnLinux, OnlyTheBuiltReadOnlyStepsGoOut)
{
    BridgeStep jmicron[kJmicronStepCount];
    std::uint8_t payload[kJmicronPayloadSize];
    ASSERT_TRUE(BuildJmicronSteps(HealthLogCommand(), kNvmeHealthSize, jmicron, payload));
    std::uint8_t formatPayload[kJmicronPayloadSize];
    std::memcpy(formatPayload, payload, sizeof payload);
    formatPayload[8] = 0x80;  // Format NVM
    BridgeStep asmedia;
    ASSERT_TRUE(BuildAsmediaStep(HealthLogCommand(), kNvmeHealthSize, asmedia));
    BridgeStep asmediaFormat = asmedia;
    asmediaFormat.cdb[1] = 0x80;
    BridgeStep realtek;
    ASSERT_TRUE(BuildRealtekStep(IdentifyControllerCommand(), kNvmeIdentifySize, realtek));
    BridgeStep realtekSetFeatures = realtek;
    realtekSetFeatures.cdb[3] = 0x09;
    BridgeStep satIdentify;  // ATA PASS-THROUGH(12), IDENTIFY DEVICE: A1h too, no bridge form
    const std::uint8_t sat[12] = {0xA1, 0x08, 0x0E, 0, 1, 0, 0, 0, 0, 0, 0xEC, 0};
    std::memcpy(satIdentify.cdb, sat, sizeof sat);
    satIdentify.cdbLength = 12;
    satIdentify.direction = BridgeDirection::In;
    satIdentify.length = 512;
    BridgeStep write10;
    write10.cdb[0] = 0x2A;
    write10.cdb[8] = 1;
    write10.cdbLength = 10;
    write10.direction = BridgeDirection::Out;
    write10.length = 512;

    const struct {
        const char* what;
        const BridgeStep& step;
        const std::uint8_t* out;
        bool sent;
    } cases[] = {
        {"JMicron command step, built", jmicron[0], payload, true},
        {"JMicron command step naming Format NVM", jmicron[0], formatPayload, false},
        {"JMicron data step", jmicron[1], nullptr, true},
        {"JMicron completion step", jmicron[2], nullptr, true},
        {"ASMedia health log", asmedia, nullptr, true},
        {"ASMedia Format NVM", asmediaFormat, nullptr, false},
        {"Realtek identify", realtek, nullptr, true},
        {"Realtek Set Features", realtekSetFeatures, nullptr, false},
        {"SAT IDENTIFY DEVICE", satIdentify, nullptr, false},
        {"WRITE(10)", write10, payload, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EnclosurePort port({"JMicron", "JMS583", true, NvmeRoute::StorageQuery, Answer::Pages});
        PassThroughDiskControl control(port);
        ScopedDiskControl installed(control);
        const HANDLE handle = control.Open("\\\\.\\PhysicalDrive0", kAccessReadWrite, kShareReadWrite, kOpenExisting);
        ASSERT_NE(handle, INVALID_HANDLE_VALUE);
        SendStep(handle, c.step, c.out);
        EXPECT_EQ(port.steps.size(), c.sent ? 1u : 0u);
        control.Close(handle);
    }
    // The one step whose reply the Linux port checks for the journal's reason.
    EXPECT_TRUE(IsJmicronCompletionStep(jmicron[2]));
    for (const BridgeStep* other : {&jmicron[0], &jmicron[1], &asmedia, &realtek}) {
        EXPECT_FALSE(IsJmicronCompletionStep(*other));
    }
}

TEST(UsbNvmeOnLinux, WhatSgIoSaysOfABridgeStep)
{
    const std::uint8_t illegal[18] = {0x70, 0, 0x05, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x20, 0x00, 0, 0, 0, 0};
    const struct {
        std::uint8_t status;
        std::uint16_t host, driver;
        int residual;
        bool sense;
        bool succeeded;
        const char* words;
    } cases[] = {
        {0x00, 0, 0, 0, false, true, ""},
        {0x00, 0, 0, 512, false, false, "512 bytes of the data did not come"},
        {0x02, 0, 0x08, 0, true, false, "refused (sense key 5h, sense 20h/00h)"},
        {0x02, 0, 0x08, 0, false, false, "refused (CHECK CONDITION without usable sense data)"},
        {0x00, 0x03, 0, 0, false, false, "not delivered (host status 3, driver status 0)"},
        {0x18, 0, 0, 0, false, false, "SCSI status 18h"},
    };
    for (const auto& c : cases) {
        PassThroughOutcome outcome;
        outcome.scsiStatus = c.status;
        outcome.hostStatus = c.host;
        outcome.driverStatus = c.driver;
        outcome.residual = c.residual;
        outcome.sense = c.sense ? illegal : nullptr;
        outcome.senseLength = c.sense ? sizeof illegal : 0;
        EXPECT_EQ(BridgeStepSucceeded(outcome), c.succeeded) << c.words;
        if (!c.succeeded) {
            EXPECT_EQ(DescribeBridgeFailure(outcome), c.words);
        }
    }
}

}  // namespace
