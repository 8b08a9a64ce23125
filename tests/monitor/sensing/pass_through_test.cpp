// The disk-control seam over kernel-style pass-through commands: which ATA and NVMe
// commands each Windows request becomes (the simulated drives accept only what the ATA
// and NVMe command tables say, and the commands are checked here too), replies laid out as the Windows drivers lay them out, drive order from
// /sys/block names, the SCSI outcome of a pass-through command, and whole machines
// enumerated through it exactly as through the Windows-shaped simulated drives.
#include "block_devices.h"
#include "drive_database.h"
#include "drive_enumeration.h"
#include "drive_media.h"
#include "drive_power.h"
#include "measurement.h"
#include "nvme_device.h"
#include "pass_through_disk_control.h"
#include "sensing_test_support.h"
#include "sg_io_outcome.h"
#include "simulated_drive_port.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const char kMachine[] = R"(drive 0
model ST3500418AS
serial 5VM1ABCD
firmware CC38
sectors 976773168
temperature 194 37
self-test-extended 1
self-test extended read 250 4660000000
drive 1
nvme
model Samsung SSD 980 PRO 1TB
serial S5GXNF0R123456
firmware 5B2QGXA7
temperature 318K
drive 3
model WDC WD20EARX-00PASB0
serial WD-WMAZA1234567
temperature 194 41
)";

// One machine read twice: through the Windows-shaped simulated drives, and through the
// pass-through seam answering from the same sectors.
struct TwoWays {
    DriveSet set = DriveSetFromText(kMachine);
    SimulatedDrivePort port{set};
};

// The database entries of the two ATA models, for the length of a test.
class TwoEntryDatabase {
public:
    TwoEntryDatabase()
    {
        char seagate[] = "ST3 = 194";
        char wdc[] = "WDC = 194";
        TheDriveDatabase().Clear();
        TheDriveDatabase().ParseLine(seagate);
        TheDriveDatabase().ParseLine(wdc);
    }
    ~TwoEntryDatabase() { TheDriveDatabase().Clear(); }
};

void ReadAll(DriveState& drives)
{
    drives.probeCount = DetectProbeCount();
    EnumerateDrives(drives);
    MeasureAll(drives, Settings{});
}

TEST(PassThroughDiskControl, AMachineReadsAsThroughTheWindowsDrivers)
{
    WorkingDirectory directory;
    TwoEntryDatabase database;
    TwoWays machine;
    DriveState windows;
    {
        SimulatedDiskBus bus(machine.set);
        ScopedDiskControl installed(bus);
        ReadAll(windows);
        for (DriveRecord& record : windows.table) {
            record.device.Close();
        }
    }
    std::remove("KELVIX.INI");  // the worst values of the first reading
    DriveState linux;
    {
        PassThroughDiskControl control(machine.port);
        ScopedDiskControl installed(control);
        ReadAll(linux);
        for (DriveRecord& record : linux.table) {
            record.device.Close();
        }
    }
    EXPECT_EQ(linux.presentCount, 3u);
    for (unsigned i = 0; i < kMaxDrives; ++i) {
        SCOPED_TRACE("drive " + std::to_string(i));
        EXPECT_EQ(linux.table[i].present, windows.table[i].present);
        EXPECT_STREQ(linux.table[i].model, windows.table[i].model);
        EXPECT_STREQ(linux.table[i].serial, windows.table[i].serial);
        EXPECT_STREQ(linux.table[i].firmware, windows.table[i].firmware);
        EXPECT_STREQ(linux.table[i].capacityText, windows.table[i].capacityText);
        EXPECT_STREQ(linux.table[i].transferModeText, windows.table[i].transferModeText);
        EXPECT_EQ(linux.table[i].currentTemperature, windows.table[i].currentTemperature);
        EXPECT_EQ(linux.table[i].kind, windows.table[i].kind);
        EXPECT_EQ(linux.table[i].selfTests.entries[0].firstFailingLba, windows.table[i].selfTests.entries[0].firstFailingLba);
    }
    // And what the drives were made with, stated outright.
    EXPECT_STREQ(linux.table[0].model, "ST3500418AS");
    EXPECT_EQ(linux.table[0].currentTemperature, 37);
    EXPECT_EQ(linux.table[0].selfTests.entries[0].firstFailingLba, 4660000000u) << "log 07h, READ LOG EXT 48-bit";
    EXPECT_STREQ(linux.table[1].serial, "S5GXNF0R123456");
    EXPECT_EQ(linux.table[1].currentTemperature, 45);
    EXPECT_EQ(linux.table[3].currentTemperature, 41);
    EXPECT_EQ(machine.port.Closes(), 3u);
}

TEST(PassThroughDiskControl, ADriveThatCannotBeOpenedIsSkippedAndTheOthersServed)
{
    WorkingDirectory directory;
    TwoEntryDatabase database;
    TwoWays machine;
    machine.port.RefuseOpen(1);  // as open() failing with EACCES
    DriveState drives;
    PassThroughDiskControl control(machine.port);
    ScopedDiskControl installed(control);
    ReadAll(drives);
    EXPECT_EQ(drives.presentCount, 2u);
    EXPECT_EQ(drives.table[1].present, 0u);
    EXPECT_EQ(drives.table[0].currentTemperature, 37);
    EXPECT_EQ(drives.table[3].currentTemperature, 41);
    for (DriveRecord& record : drives.table) {
        record.device.Close();
    }
}

// Each request as the sensing core sends it, and the command that must reach the drive.
TEST(PassThroughDiskControl, RequestsBecomeTheirAtaAndNvmeCommands)
{
    TwoWays machine;
    PassThroughDiskControl control(machine.port);
    ScopedDiskControl installed(control);
    SmartDevice ata;
    ASSERT_TRUE(ata.Open(3));
    std::uint32_t bytes = 0;
    ASSERT_NE(ata.GetVersion(bytes), nullptr);  // also enables S.M.A.R.T.
    EXPECT_EQ(bytes, 24u);
    ASSERT_NE(ata.Identify(bytes), nullptr);
    EXPECT_EQ(bytes, 528u);
    ASSERT_NE(ata.ReadAttributes(bytes), nullptr);
    ASSERT_NE(ata.ReadThresholds(bytes), nullptr);
    const struct {
        std::uint8_t command, features, lbaMid, lbaHigh;
        std::uint32_t dataSize;
    } ataExpected[] = {
        {0xB0, 0xD8, 0x4F, 0xC2, 0}, {0xEC, 0x00, 0x00, 0x00, 512}, {0xB0, 0xD0, 0x4F, 0xC2, 512},
        {0xB0, 0xD1, 0x4F, 0xC2, 512}};
    ASSERT_EQ(machine.port.SentCommands().size(), 4u);
    for (unsigned i = 0; i < 4; ++i) {
        const SimulatedDrivePort::Sent& s = machine.port.SentCommands()[i];
        SCOPED_TRACE("ATA command " + std::to_string(i));
        EXPECT_EQ(s.drive, 3u);
        EXPECT_EQ(s.ata.command, ataExpected[i].command);
        EXPECT_EQ(s.ata.features, ataExpected[i].features);
        EXPECT_EQ(s.ata.lbaMid, ataExpected[i].lbaMid);
        EXPECT_EQ(s.ata.lbaHigh, ataExpected[i].lbaHigh);
        EXPECT_EQ(s.dataSize, ataExpected[i].dataSize);
        // Drive 3 is odd: Windows' master/slave bit must not reach a SATA port.
        EXPECT_EQ(s.ata.device & 0x10, 0);
    }
    const std::uint8_t* attributes = ata.AttributeResult();
    EXPECT_EQ(std::memcmp(attributes - 2, machine.set.drives[3].smartData, 512), 0);

    machine.port.ClearSent();
    SmartDevice nvmeDrive;
    ASSERT_TRUE(nvmeDrive.Open(1));
    EXPECT_EQ(nvmeDrive.GetVersion(bytes), nullptr) << "S.M.A.R.T. requests do not reach NVMe drives";
    NvmeDevice nvme;
    EXPECT_TRUE(nvme.IsNvme(nvmeDrive.Handle()));
    EXPECT_FALSE(nvme.IsNvme(ata.Handle()));
    const std::uint8_t* identify = nvme.IdentifyController(nvmeDrive.Handle(), bytes);
    ASSERT_NE(identify, nullptr);
    EXPECT_EQ(bytes, 48u + 4096u);
    EXPECT_EQ(std::memcmp(identify, machine.set.drives[1].nvmeIdentify, 4096), 0);
    const std::uint8_t* health = nvme.ReadHealthLog(nvmeDrive.Handle(), bytes);
    ASSERT_NE(health, nullptr);
    EXPECT_EQ(std::memcmp(health, machine.set.drives[1].health, 512), 0);
    ASSERT_EQ(machine.port.SentCommands().size(), 2u);
    EXPECT_EQ(machine.port.SentCommands()[0].admin.opcode, 0x06);
    EXPECT_EQ(machine.port.SentCommands()[1].admin.opcode, 0x02);
    EXPECT_EQ(machine.port.SentCommands()[1].admin.cdw10, 0x007F0002u);

    std::uint64_t length = 0;
    EXPECT_FALSE(nvme.ReadDiskLength(nvmeDrive.Handle(), length));
    machine.port.SetLength(0x123456789AULL);
    EXPECT_TRUE(nvme.ReadDiskLength(nvmeDrive.Handle(), length));
    EXPECT_EQ(length, 0x123456789AULL);
}

// CHECK POWER MODE as the sleeping-drive rules ask it (IOCTL_ATA_PASS_THROUGH): a command
// without data whose answer is the count register the drive left.
TEST(PassThroughDiskControl, PowerQuestionsReachTheDriveWithoutData)
{
    TwoWays machine;
    SimulatedDrivePort& port = machine.port;
    PassThroughDiskControl control(port);
    ScopedDiskControl installed(control);
    SmartDevice ata;
    SmartDevice nvme;
    ASSERT_TRUE(ata.Open(0));
    ASSERT_TRUE(nvme.Open(1));
    const struct {
        std::uint8_t mode;
        PowerAnswer answer;
    } cases[] = {{0xFF, PowerAnswer::SpunUp}, {0x80, PowerAnswer::SpunUp}, {0x00, PowerAnswer::SpunDown},
                 {0x01, PowerAnswer::SpunDown}, {0x7F, PowerAnswer::NotAnswered}};
    for (const auto& c : cases) {
        port.SetPowerMode(0, c.mode);
        port.ClearSent();
        EXPECT_EQ(AskDrivePower(ata.Handle()), c.answer) << "mode " << int(c.mode);
        ASSERT_EQ(port.SentCommands().size(), 1u);
        EXPECT_EQ(port.SentCommands()[0].ata.command, 0xE5);
        EXPECT_EQ(port.SentCommands()[0].dataSize, 0u);
    }
    port.ClearSent();
    EXPECT_EQ(AskDrivePower(nvme.Handle()), PowerAnswer::NotAnswered);
    EXPECT_TRUE(port.SentCommands().empty()) << "no ATA command reaches an NVMe drive";

    // A data transfer through the same request is not carried.
    ATA_PASS_THROUGH_EX request;
    FillCheckPowerRequest(request);
    request.DataTransferLength = 512;
    ATA_PASS_THROUGH_EX reply{};
    DWORD returned = 0;
    EXPECT_FALSE(control.Request(ata.Handle(), kIoctlAtaPassThrough, &request, sizeof request, &reply, sizeof reply,
                                 &returned));
    EXPECT_FALSE(control.Request(ata.Handle(), kIoctlAtaPassThrough, &request, sizeof request - 1, &reply,
                                 sizeof reply, &returned));
    // Nor is a data-in one (IDENTIFY) whose data would lie past the buffers.
    request.AtaFlags = kAtaFlagDrdyRequired | kAtaFlagDataIn;
    request.CurrentTaskFile[kTaskSectorCount] = 1;
    request.CurrentTaskFile[kTaskCommand] = 0xEC;
    request.DataBufferOffset = sizeof request;
    std::uint8_t room[sizeof request + 512] = {};
    std::memcpy(room, &request, sizeof request);
    EXPECT_FALSE(control.Request(ata.Handle(), kIoctlAtaPassThrough, room, sizeof room - 1, room, sizeof room,
                                 &returned));
    port.ClearSent();
    EXPECT_TRUE(control.Request(ata.Handle(), kIoctlAtaPassThrough, room, sizeof room, room, sizeof room, &returned))
        << "the same request with room for its sector";
    EXPECT_EQ(port.SentCommands().size(), 1u);
}

TEST(PassThroughDiskControl, MalformedRequestsAreRefused)
{
    TwoWays machine;
    PassThroughDiskControl control(machine.port);
    HANDLE ata = control.Open("\\\\.\\PhysicalDrive0", 0, 0, 0);
    HANDLE nvme = control.Open("\\\\.\\PHYSICALDRIVE1", 0, 0, 0);
    ASSERT_NE(ata, INVALID_HANDLE_VALUE);
    ASSERT_NE(nvme, INVALID_HANDLE_VALUE);
    EXPECT_EQ(control.Open("\\\\.\\PHYSICALDRIVE0", 0, 0, 0), INVALID_HANDLE_VALUE) << "already open";

    std::uint8_t request[48] = {};
    request[4 + 6] = 0xEC;  // IDENTIFY in bCommandReg
    std::uint8_t reply[48 + 4096] = {};
    DWORD returned = 99;
    const struct {
        const char* what;
        HANDLE handle;
        DWORD code;
        DWORD inSize;
        DWORD outSize;
    } cases[] = {
        {"reply shorter than a sector", ata, kSmartRcvDriveData, 32, 527},
        {"request shorter than its record", ata, kSmartRcvDriveData, 31, 528},
        {"version reply too short", ata, kSmartGetVersion, 0, 23},
        {"unknown control code", ata, 0x00070000, 32, 528},
        {"S.M.A.R.T. on an NVMe drive", nvme, kSmartRcvDriveData, 32, 528},
        {"a handle never opened", reinterpret_cast<HANDLE>(reply), kSmartRcvDriveData, 32, 528},
        {"device descriptor too short", ata, kIoctlStorageQueryProperty, 12, 39},
        {"length reply too short", nvme, kIoctlDiskGetLengthInfo, 0, 7},
    };
    for (const auto& c : cases) {
        returned = 99;
        EXPECT_FALSE(control.Request(c.handle, c.code, request, c.inSize, reply, c.outSize, &returned)) << c.what;
        EXPECT_EQ(returned, 0u) << c.what;
    }
    // NVMe queries: the protocol record decides; wrong type, length or log are refused.
    std::uint8_t query[48] = {};
    const auto put = [&query](unsigned at, std::uint32_t v) {
        for (unsigned i = 0; i < 4; ++i) {
            query[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
        }
    };
    const struct {
        const char* what;
        std::uint32_t protocol, dataType, value, length;
        HANDLE handle;
        bool answered;
    } queries[] = {
        {"identify controller", 3, 1, 1, 4096, nvme, true},
        {"health log", 3, 2, 2, 512, nvme, true},
        {"not the NVMe protocol", 4, 1, 1, 4096, nvme, false},
        {"identify of another length", 3, 1, 1, 512, nvme, false},
        {"a log the drive refuses", 3, 2, 1, 512, nvme, false},
        {"length beyond the reply buffer", 3, 2, 2, 8192, nvme, false},
        {"length not in dwords", 3, 2, 2, 510, nvme, false},
        {"an ATA drive", 3, 1, 1, 4096, ata, false},
    };
    for (const auto& q : queries) {
        std::memset(query, 0, sizeof query);
        put(0, 49);
        put(8, q.protocol);
        put(12, q.dataType);
        put(16, q.value);
        put(24, 40);
        put(28, q.length);
        EXPECT_EQ(control.Request(q.handle, kIoctlStorageQueryProperty, query, sizeof query, reply, sizeof reply,
                                  &returned),
                  q.answered)
            << q.what;
        if (q.answered) {
            EXPECT_EQ(returned, 48u + q.length) << q.what;
            EXPECT_NE(LocateProtocolData(reply, returned, q.length), nullptr) << q.what;
        }
    }
    control.Close(ata);
    EXPECT_FALSE(control.Request(ata, kSmartGetVersion, nullptr, 0, reply, 24, &returned)) << "closed";
}

// StorNVMe's protocol command carries nothing to the drive but a Device Self-test as
// NvmeDevice builds it: short or extended, all namespaces, no data, whole records.
TEST(PassThroughDiskControl, OnlyADeviceSelfTestIsCarried)
{
    DriveSet set = DriveSetFromText(kMachine);
    set.drives[1].nvmeIdentify[256] |= 0x10;  // OACS: Device Self-test
    SimulatedDrivePort port(set);
    PassThroughDiskControl control(port);
    HANDLE ata = control.Open("\\\\.\\PHYSICALDRIVE0", 0, 0, 0);
    HANDLE nvme = control.Open("\\\\.\\PHYSICALDRIVE1", 0, 0, 0);
    const struct {
        const char* what;
        void (*change)(StorageProtocolCommand&);
        HANDLE handle;
        DWORD inSize, outSize;
        std::uint32_t cdw10;  // what reaches the drive, 0 nothing
    } cases[] = {
        {"a short test", [](StorageProtocolCommand&) {}, nvme, 144, 144, 1},
        {"an extended test", [](StorageProtocolCommand& r) { r.Command[40] = 2; }, nvme, 144, 144, 2},
        {"an abort (STC Fh)", [](StorageProtocolCommand& r) { r.Command[40] = 0x0F; }, nvme, 144, 144, 0},
        {"another command (Format NVM)", [](StorageProtocolCommand& r) { r.Command[0] = 0x80; }, nvme, 144, 144, 0},
        {"with data from the drive", [](StorageProtocolCommand& r) { r.DataFromDeviceTransferLength = 512; }, nvme,
         144, 144, 0},
        {"with data to the drive", [](StorageProtocolCommand& r) { r.DataToDeviceTransferLength = 512; }, nvme, 144,
         144, 0},
        {"not the NVMe protocol", [](StorageProtocolCommand& r) { r.ProtocolType = 2; }, nvme, 144, 144, 0},
        {"another record version", [](StorageProtocolCommand& r) { r.Version = 2; }, nvme, 144, 144, 0},
        {"a record cut short", [](StorageProtocolCommand&) {}, nvme, 143, 144, 0},
        {"a reply buffer too short", [](StorageProtocolCommand&) {}, nvme, 144, 143, 0},
        {"an ATA drive", [](StorageProtocolCommand&) {}, ata, 144, 144, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        StorageProtocolCommand record;
        FillSelfTestCommand(record, false);
        c.change(record);
        StorageProtocolCommand reply{};
        DWORD returned = 0;
        port.ClearSent();
        const bool ok = control.Request(c.handle, kIoctlStorageProtocolCommand, &record, c.inSize, &reply, c.outSize,
                                        &returned);
        EXPECT_EQ(ok, c.cdw10 != 0);
        if (c.cdw10 == 0) {
            EXPECT_TRUE(port.SentCommands().empty());
            continue;
        }
        EXPECT_EQ(returned, 144u);
        EXPECT_EQ(reply.ReturnStatus, kProtocolStatusSuccess);
        ASSERT_EQ(port.SentCommands().size(), 1u);
        const SimulatedDrivePort::Sent& sent = port.SentCommands()[0];
        EXPECT_EQ(sent.admin.opcode, 0x14);
        EXPECT_EQ(sent.admin.namespaceId, 0xFFFFFFFFu);
        EXPECT_EQ(sent.admin.cdw10, c.cdw10);
        EXPECT_EQ(sent.dataSize, 0u);
    }
}

TEST(PassThroughDiskControl, PhysicalDriveNames)
{
    const struct {
        const char* name;
        int number;
    } cases[] = {{"\\\\.\\PHYSICALDRIVE0", 0}, {"\\\\.\\physicaldrive15", 15}, {"\\\\.\\PhysicalDrive7", 7},
                 {"\\\\.\\PHYSICALDRIVE16", -1}, {"\\\\.\\PHYSICALDRIVE", -1}, {"\\\\.\\PHYSICALDRIVE1x", -1},
                 {"\\\\.\\PHYSICALDRIVE007", -1}, {"\\\\.\\SMARTVSD", -1}, {"", -1}, {nullptr, -1}};
    for (const auto& c : cases) {
        EXPECT_EQ(PhysicalDriveNumber(c.name), c.number) << (c.name != nullptr ? c.name : "null");
    }
}

TEST(BlockDevices, DrivesTakeNumbersInTheDocumentedOrder)
{
    const std::vector<std::string> listing = {".", "..", "nvme1n1", "loop0", "sdb", "zram0", "sdaa", "nvme0n2",
                                              "sr0", "vda", "dm-0", "md127", "nvme0c0n1", "sda", "nvme0n1",
                                              "sdz", "nvme10n1", "nvme2n1", "mmcblk0", "sd", "sdA", "nvme0n"};
    const std::vector<std::string> expected = {"sda", "sdb", "sdz", "sdaa", "nvme0n1", "nvme0n2",
                                               "nvme1n1", "nvme2n1", "nvme10n1"};
    const std::vector<BlockDevice> drives = OrderDrives(listing, 16);
    std::vector<std::string> names;
    for (const BlockDevice& d : drives) {
        names.push_back(d.name);
        EXPECT_EQ(d.protocol, d.name[0] == 'n' ? DriveProtocol::Nvme : DriveProtocol::Ata) << d.name;
    }
    EXPECT_EQ(names, expected);
    EXPECT_EQ(OrderDrives(listing, 3).size(), 3u);
    EXPECT_EQ(OrderDrives(listing, 3)[2].name, "sdz");
}

// IDENTIFY word 217 tells solid state from spinning; NVMe drives are solid state.
TEST(DriveMedia, RotationRateWord)
{
    const struct {
        std::uint16_t word217;
        DriveMedia media;
        std::uint16_t rpm;
        const char* words;  // as the viewer and kelvixd's journal say it
    } cases[] = {
        {0x0000, DriveMedia::Unknown, 0, "not reported"},
        {0x0001, DriveMedia::SolidState, 0, "solid state"},
        {0x0002, DriveMedia::Unknown, 0, "not reported"},
        {0x0400, DriveMedia::Unknown, 0, "not reported"},
        {0x0401, DriveMedia::Rotating, 0x0401, "rotating at 1025 rpm"},
        {7200, DriveMedia::Rotating, 7200, "rotating at 7200 rpm"},
        {0xFFFE, DriveMedia::Rotating, 0xFFFE, "rotating at 65534 rpm"},
        {0xFFFF, DriveMedia::Unknown, 0, "not reported"},
    };
    for (const auto& c : cases) {
        std::uint8_t identify[512] = {};
        identify[434] = static_cast<std::uint8_t>(c.word217);
        identify[435] = static_cast<std::uint8_t>(c.word217 >> 8);
        const MediaAnswer answer = MediaOfIdentify(identify);
        EXPECT_EQ(answer.media, c.media) << c.word217;
        EXPECT_EQ(answer.rpm, c.rpm) << c.word217;
        EXPECT_EQ(DescribeMedia(answer), c.words);
    }
    EXPECT_EQ(DescribeMedia(MediaAnswer{DriveMedia::Rotating, 0}), "rotating");
    DriveRecord nvme;
    nvme.kind = DriveKind::Nvme;
    EXPECT_EQ(MediaOf(nvme).media, DriveMedia::SolidState);
    DriveRecord unread;
    EXPECT_EQ(MediaOf(unread).media, DriveMedia::Unknown) << "no IDENTIFY read";
}

std::vector<std::uint8_t> DescriptorSense(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq, std::uint8_t status)
{
    std::vector<std::uint8_t> sense(22, 0);
    sense[0] = 0x72;
    sense[1] = key;
    sense[2] = asc;
    sense[3] = ascq;
    sense[7] = 14;  // one ATA Status Return descriptor
    sense[8] = 0x09;
    sense[9] = 0x0C;
    sense[8 + 13] = status;
    return sense;
}

TEST(SgIoOutcome, WhatCountsAsAFinishedCommand)
{
    const auto clean = DescriptorSense(0x1, 0x00, 0x1D, 0x50);
    const auto error = DescriptorSense(0x1, 0x00, 0x1D, 0x51);
    const auto fault = DescriptorSense(0x1, 0x00, 0x1D, 0x70);
    const auto aborted = DescriptorSense(0xB, 0x00, 0x00, 0x51);
    const auto illegal = DescriptorSense(0x5, 0x20, 0x00, 0x50);
    // A SCSI disk or a USB stick without ATA translation: fixed-format sense, no registers.
    std::vector<std::uint8_t> scsiDisk(18, 0);
    scsiDisk[0] = 0x70;
    scsiDisk[2] = 0x5;
    scsiDisk[7] = 10;
    scsiDisk[12] = 0x20;
    const struct {
        const char* what;
        std::uint8_t scsi;
        std::uint16_t host, driver;
        const std::vector<std::uint8_t>* sense;
        bool succeeded;
        const char* reason;  // what the journal line says of a failure
    } cases[] = {
        {"GOOD", 0x00, 0, 0, nullptr, true, ""},
        {"registers back, clean status", 0x02, 0, 0x08, &clean, true, ""},
        {"registers back, ERR", 0x02, 0, 0x08, &error, false, "the drive reported an error (status 51h"},
        {"registers back, device fault", 0x02, 0, 0x08, &fault, false, "the drive reported an error (status 70h"},
        {"aborted command", 0x02, 0, 0x08, &aborted, false, "the drive reported an error (status 51h"},
        {"pass-through not supported", 0x02, 0, 0x08, &illegal, false, "unsupported SCSI opcode, sense 20h/00h"},
        {"a SCSI disk", 0x02, 0, 0x08, &scsiDisk, false, "does not take ATA PASS-THROUGH (ILLEGAL REQUEST"},
        {"CHECK CONDITION without sense", 0x02, 0, 0x08, nullptr, false, "without usable sense data"},
        {"not delivered", 0x00, 0x01, 0, nullptr, false, "not delivered (host status 1, driver status 0)"},
        {"driver timeout", 0x00, 0, 0x06, nullptr, false, "not delivered (host status 0, driver status 6)"},
        {"busy", 0x08, 0, 0, nullptr, false, "SCSI status 08h"},
    };
    for (const auto& c : cases) {
        PassThroughOutcome outcome;
        outcome.scsiStatus = c.scsi;
        outcome.hostStatus = c.host;
        outcome.driverStatus = c.driver;
        if (c.sense != nullptr) {
            outcome.sense = c.sense->data();
            outcome.senseLength = c.sense->size();
        }
        EXPECT_EQ(PassThroughSucceeded(outcome), c.succeeded) << c.what;
        if (!c.succeeded) {
            EXPECT_NE(DescribePassThroughFailure(outcome).find(c.reason), std::string::npos)
                << c.what << ": " << DescribePassThroughFailure(outcome);
        }
    }
    // The registers of a clean finish come back: CHECK POWER MODE's count among them.
    auto standby = DescriptorSense(0x1, 0x00, 0x1D, 0x50);
    standby[8 + 5] = 0x00;
    auto active = standby;
    active[8 + 5] = 0xFF;
    for (const auto* sense : {&standby, &active}) {
        PassThroughOutcome outcome;
        outcome.scsiStatus = 0x02;
        outcome.driverStatus = 0x08;
        outcome.sense = sense->data();
        outcome.senseLength = sense->size();
        AtaRegisters registers;
        registers.sectorCount = 0x55;
        ASSERT_TRUE(PassThroughSucceeded(outcome, &registers));
        EXPECT_EQ(registers.sectorCount, (*sense)[8 + 5]);
        EXPECT_EQ(registers.status, 0x50);
    }
    PassThroughOutcome good;
    AtaRegisters none;
    EXPECT_FALSE(PassThroughSucceeded(good, &none)) << "GOOD without the registers asked for";
}

}  // namespace
