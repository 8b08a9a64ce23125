// Drive-set files and the simulated drives they describe.
#include "drive_database.h"
#include "drive_enumeration.h"
#include "identity_text.h"
#include "driveset_file.h"
#include "measurement.h"
#include "sensing_test_support.h"
#include "simulated_drive_port.h"
#include "smart_device.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

bool Parse(const std::string& text, DriveSet& set, std::string& error)
{
    return ParseDriveSet(text, "", ReadSectorFile, set, error);
}

struct ErrorCase {
    const char* text;
    const char* error;
};

TEST(DriveSetFile, ErrorsNameTheLine)
{
    const ErrorCase cases[] = {
        {"model X\n", "line 1: 'model' before the first 'drive' line"},
        {"# c\n\ndrive 16\n", "line 3: drive needs one drive number from 0 to 15"},
        {"drive 0\ndrive 0\n", "line 2: drive 0 is given twice"},
        {"drive 1\nspeed 7200\n", "line 2: unknown key 'speed'"},
        {"drive 1\nmodel 12345678901234567890123456789012345678901\n",
         "line 2: model is longer than 40 characters"},
        {"drive 1\nfirmware 123456789\n", "line 2: firmware is longer than 8 characters"},
        {"drive 1\nserial\n", "line 2: serial needs a text"},
        {"drive 1\nudma 8\n", "line 2: udma needs a mode from 0 to 7 or 'none'"},
        {"drive 1\nattribute 0 0x22 100 100 2D\n", "line 2: attribute id must be 1 to 255"},
        {"drive 1\nattribute 194 0x22 100 100\n", "line 2: attribute needs: id flags value worst and 1 to 6 raw bytes"},
        {"drive 1\nattribute 194 0x22 100 100 2D0\n", "line 2: raw bytes are two hex digits each, such as 2D"},
        {"drive 1\nattribute 194 0x22 256 100 2D\n",
         "line 2: attribute flags must be 0 to 0xFFFF, value and worst 0 to 255"},
        {"drive 1\nthreshold 194\n", "line 2: threshold needs an id from 1 to 255 and a value from 0 to 255"},
        {"drive 1\ntemperature 194\n", "line 2: temperature needs an attribute id from 1 to 255 and at least one value"},
        {"drive 1\ntemperature 194 40 x\n", "line 2: temperatures are numbers from 0 to 255"},
        {"drive 1\nfail power\n",
         "line 2: unknown step 'power' (open, version, enable, identify, attributes, thresholds)"},
        {"drive 1\nfail attributes from 0\n", "line 2: fail needs a step, or 'attributes from N' or 'answers from N' with N from 1 on"},
        {"platform two\n", "line 1: platform needs one number (1 = Windows 9x, 2 = NT)"},
        {"drive 1\nsectors 281474976710656\n", "line 2: sectors needs one number below 2^48"},
        {"drive 1\natapi yes\n", "line 2: atapi takes no value"},
        {"drive 1\nnvme\nvia usb\n", "line 3: via needs jmicron, asmedia, realtek, realtek-garbling or rst"},
        {"drive 1\nvia rst\n", "line 2: 'via' is a key of NVMe drives: put 'nvme' first"},
        {"drive 1\nnvme\nnvme-self-test-runs 0 7\n",
         "line 3: nvme-self-test-runs needs the readings (1-1000) it runs, the result nibble it ends with and "
         "optionally the failing LBA"},
        {"drive 1\nnvme-self-test-runs 2 7\n", "line 2: 'nvme-self-test-runs' is a key of NVMe drives: put 'nvme' first"},
        {"drive 1\nbridge\n", "line 2: bridge needs sat16, sat12, sat16-no-status or sat16-fixed-sense"},
        {"drive 1\nbridge sat32\n", "line 2: bridge needs sat16, sat12, sat16-no-status or sat16-fixed-sense"},
        {"drive 1\nbridge sat16 sat12\n", "line 2: bridge needs sat16, sat12, sat16-no-status or sat16-fixed-sense"},
        {"drive 1\ntemperature-property 70 80\n", "line 2: temperature-property needs the warning and critical temperature and at least one temperature, numbers from 0 to 255"},
        {"drive 1\ntemperature-property 70 80 40 256\n", "line 2: temperature-property needs the warning and critical temperature and at least one temperature, numbers from 0 to 255"},
        {"drive 1\ntemperature-property 70 x 40\n", "line 2: temperature-property needs the warning and critical temperature and at least one temperature, numbers from 0 to 255"},
        {"drive 1\nbridge sat16\ntemperature-property 70 80 40\n",
         "line 3: a drive behind a bridge cannot have temperature-property"},
        {"drive 1\ntemperature-property 70 80 40\nbridge sat12\n", "line 3: a drive with temperature-property has no bridge"},
        {"drive 1\nnvme\ntemperature-property 70 80 40\n",
         "line 3: 'temperature-property' is a key of ATA drives, not of an NVMe drive"},
        {"drive 1\nmodel A\x01" "B\n", "line 2: control character in line"},
        {"drive 1\nidentify-file\n", "line 2: a sector file needs a file name"},
        {"drive 1\nsleep 0\n",
         "line 2: sleep needs the first power check asleep (1 on, or 'start') and optionally the last (not before it)"},
        {"drive 1\nsleep 5 4\n",
         "line 2: sleep needs the first power check asleep (1 on, or 'start') and optionally the last (not before it)"},
        {"drive 1\nsleep start 0\n",
         "line 2: sleep needs the first power check asleep (1 on, or 'start') and optionally the last (not before it)"},
        {"drive 1\nsleep 1 2 3\n",
         "line 2: sleep needs the first power check asleep (1 on, or 'start') and optionally the last (not before it)"},
        {"drive 1\npower-calls some\n", "line 2: power-calls needs 'both', 'ata' (CHECK POWER MODE only), "
                                         "'state' (GetDevicePowerState only) or 'none'"},
        {"drive 1\nreturn-status passed maybe\n",
         "line 2: return-status needs one or more of 'passed', 'failing' and 'refused'"},
        {"drive 1\nreturn-status\n", "line 2: return-status needs one or more of 'passed', 'failing' and 'refused'"},
        {"drive 0\nnvme\nreturn-status failing\n",
         "line 3: 'return-status' is a key of ATA drives, not of an NVMe drive"},
        {"counts\n", "line 1: counts needs a file name"},
        {"drive 0\nnvme\nsleep 1\n", "line 3: 'sleep' is a key of ATA drives, not of an NVMe drive"},
    };
    for (const ErrorCase& c : cases) {
        SCOPED_TRACE(c.text);
        DriveSet set;
        std::string error;
        EXPECT_FALSE(Parse(c.text, set, error));
        EXPECT_EQ(error, c.error);
    }
}

TEST(DriveSetFile, NvmeKeys)
{
    const ErrorCase cases[] = {
        {"drive 1\nnvme\nudma 5\n", "line 3: 'udma' is a key of ATA drives, not of an NVMe drive"},
        {"drive 1\nhealth used 3\n", "line 2: 'health' is a key of NVMe drives: put 'nvme' first"},
        {"drive 1\nnvme\nhealth used 256\n",
         "line 3: health needs a field (such as spare, used, power-on-hours) and a number that fits it"},
        {"drive 1\nnvme\ntemperature 40 256\n",
         "line 3: temperatures are degrees from 0 to 255, or kelvin from 0K to 65535K"},
        {"drive 1\nnvme\nfail health from 0\n",
         "line 3: an NVMe drive fails 'open', 'identify', 'health' or 'health from N' with N from 1 on"},
        {"drive 1\nnvme\nserial 123456789012345678901\n", "line 3: serial is longer than 20 characters"},
    };
    for (const ErrorCase& c : cases) {
        DriveSet set;
        std::string error;
        EXPECT_FALSE(Parse(c.text, set, error));
        EXPECT_EQ(error, c.error);
    }
    DriveSet set;
    std::string error;
    ASSERT_TRUE(Parse("drive 3\nnvme\nmodel WD_BLACK\ntemperature 40 318K 0k\nhealth power-cycles 0x1234\n"
                      "temperature-limits 350 360\n", set, error)) << error;
    const SimulatedDrive& drive = set.drives[3];
    EXPECT_EQ(drive.healthKelvins, (std::vector<std::uint16_t>{313, 318, 0}));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(drive.nvmeIdentify) + kNvmeModelOffset, 10), "WD_BLACK  ");
    EXPECT_EQ(drive.health[112] | drive.health[113] << 8, 0x1234);
    EXPECT_EQ(drive.nvmeIdentify[kNvmeWarningTempOffset] | drive.nvmeIdentify[kNvmeWarningTempOffset + 1] << 8, 350);
}

TEST(DriveSetFile, NvmePagesReplayUnchanged)
{
    std::string identify(kNvmeIdentifySize, '\0');
    std::string health(kNvmeHealthSize, '\0');
    for (unsigned i = 0; i < identify.size(); ++i) {
        identify[i] = static_cast<char>(i * 11 + 3);
    }
    for (unsigned i = 0; i < health.size(); ++i) {
        health[i] = static_cast<char>(i * 5 + 1);
    }
    const std::map<std::string, std::string> files = {{"d/n.identify", identify}, {"d/n.health", health}};
    const PageReader memory = [&files](const std::string& path, std::uint8_t* page, std::size_t size,
                                       std::string& error) {
        const auto found = files.find(path);
        if (found == files.end() || found->second.size() != size) {
            error = path + " is not " + std::to_string(size) + " bytes long";
            return false;
        }
        std::memcpy(page, found->second.data(), size);
        return true;
    };
    DriveSet set;
    std::string error;
    ASSERT_TRUE(ParseDriveSet("drive 0\nnvme\nnvme-identify-file n.identify\nhealth-file n.health\n", "d", memory,
                              set, error)) << error;
    EXPECT_EQ(std::memcmp(set.drives[0].nvmeIdentify, identify.data(), identify.size()), 0);
    EXPECT_EQ(std::memcmp(set.drives[0].health, health.data(), health.size()), 0);
    DriveSet other;
    EXPECT_FALSE(ParseDriveSet("drive 0\nnvme\nnvme-identify-file n.health\n", "d", memory, other, error));
    EXPECT_EQ(error, "line 3: d/n.health is not 4096 bytes long");
}

TEST(DriveSetFile, ThirtyOneAttributesAreTooMany)
{
    std::string text = "drive 0\n";
    for (unsigned id = 1; id <= 31; ++id) {
        text += "attribute " + std::to_string(id) + " 0 1 1 00\n";
    }
    DriveSet set;
    std::string error;
    EXPECT_FALSE(Parse(text, set, error));
    EXPECT_EQ(error, "line 32: more than 30 attributes");
}

TEST(DriveSetFile, CommentsBlankLinesAndLineEnds)
{
    DriveSet set;
    std::string error;
    ASSERT_TRUE(Parse("# a set\r\n\r\n   # indented comment\r\nplatform 1\r\ndrive 3\r\n\tmodel  Two  Words \r\n",
                      set, error))
        << error;
    EXPECT_EQ(set.platformId, 1u);
    EXPECT_TRUE(set.drives[3].installed);
    char model[64] = {};
    CopyIdString(model, set.drives[3].identify + 54, 40);
    EXPECT_STREQ(model, "Two  Words");
}

TEST(DriveSetFile, IdentitySectorFollowsTheKeys)
{
    DriveSet set = DriveSetFromText("drive 2\nmodel ST380011A\nfirmware 3.06\nserial 5JV3ABCD\n"
                                    "sectors 600000000\nswdma none\nmwdma none\nudma 6\n");
    const SimulatedDrive& drive = set.drives[2];
    char text[64] = {};
    CopyIdString(text, drive.identify + 54, 40);
    EXPECT_STREQ(text, "ST380011A");
    std::memset(text, 0, sizeof(text));
    CopyIdString(text, drive.identify + 46, 8);
    EXPECT_STREQ(text, "3.06");
    std::memset(text, 0, sizeof(text));
    CopyIdString(text, drive.identify + 20, 20);
    EXPECT_STREQ(text, "5JV3ABCD");
    // Beyond 28 bits: words 60-61 hold the 28-bit maximum.
    EXPECT_EQ(drive.identify[120] | drive.identify[121] << 8 | drive.identify[122] << 16 |
                  static_cast<std::uint32_t>(drive.identify[123]) << 24,
              0x0FFFFFFFu);
    char mode[32];
    FormatTransferMode(drive.identify, mode);
    EXPECT_STREQ(mode, "UltraDMA-6");
    // IDENTIFY integrity word: signature and a checksum that sums the sector to zero.
    EXPECT_EQ(drive.identify[510], 0xA5);
    unsigned sum = 0;
    for (std::uint8_t byte : drive.identify) {
        sum += byte;
    }
    EXPECT_EQ(sum & 0xFF, 0u);
}

TEST(DriveSetFile, FailureKeys)
{
    DriveSet set = DriveSetFromText("drive 0\nfail open\nfail enable\ndrive 1\nfail attributes from 4\n"
                                    "drive 2\nfail attributes\nfail thresholds\nfail identify\nfail version\n");
    EXPECT_TRUE(set.drives[0].fail.open);
    EXPECT_TRUE(set.drives[0].fail.enable);
    EXPECT_EQ(set.drives[1].fail.attributesFrom, 4u);
    EXPECT_EQ(set.drives[2].fail.attributesFrom, 1u);
    EXPECT_TRUE(set.drives[2].fail.thresholds);
    EXPECT_TRUE(set.drives[2].fail.identify);
    EXPECT_TRUE(set.drives[2].fail.version);
}

TEST(DriveSetFile, PowerKeys)
{
    const struct {
        const char* lines;
        bool checkPower, powerState;
        std::uint32_t from, to;
        bool atStart;
    } cases[] = {
        {"", true, true, 0, 0, false},
        {"sleep 3\n", true, true, 3, 0, false},
        {"sleep 2 2\npower-calls ata\n", true, false, 2, 2, false},
        {"power-calls state\nsleep 1 0x10\n", false, true, 1, 16, false},
        {"power-calls none\n", false, false, 0, 0, false},
        {"power-calls none\npower-calls both\n", true, true, 0, 0, false},
        {"sleep start\n", true, true, 0, 0, true},
        {"sleep start 3\n", true, true, 0, 3, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines);
        const DriveSet set = DriveSetFromText(std::string("drive 4\n") + c.lines);
        const SimulatedDrive& drive = set.drives[4];
        EXPECT_EQ(drive.answersCheckPower, c.checkPower);
        EXPECT_EQ(drive.answersPowerState, c.powerState);
        EXPECT_EQ(drive.sleepFrom, c.from);
        EXPECT_EQ(drive.sleepTo, c.to);
        EXPECT_EQ(drive.asleepAtStart, c.atStart);
    }
    DriveSet set;
    std::string error;
    ASSERT_TRUE(ParseDriveSet("counts out/counts.txt\n", "/base", ReadSectorFile, set, error)) << error;
    EXPECT_EQ(set.countsFile, "/base/out/counts.txt") << "relative to the drive-set file";
    ASSERT_TRUE(ParseDriveSet("counts /abs/c.txt\n", "/base", ReadSectorFile, set, error)) << error;
    EXPECT_EQ(set.countsFile, "/abs/c.txt");
}

TEST(SimulatedDrives, SleepsByPowerCheckAndAnswersAsChosen)
{
    // Each row: the drive's power-calls, then per check whether it is spun down and
    // what the two questions answer ('d' down, 'u' up, '-' refused).
    const struct {
        const char* calls;
        const char* checkPower;  // CHECK POWER MODE for checks 1 to 5
        const char* powerState;  // GetDevicePowerState after each check
    } cases[] = {
        {"both", "uddu" "u", "uddu" "u"},
        {"ata", "uddu" "u", "-----"},
        {"state", "-----", "uddu" "u"},
        {"none", "-----", "-----"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.calls);
        DriveSet set = DriveSetFromText(std::string("drive 0\nsleep 2 3\npower-calls ") + c.calls + "\n");
        SimulatedDiskBus bus(set);
        HANDLE handle = bus.Open("\\\\.\\PHYSICALDRIVE0", kAccessReadWrite, kShareReadWrite, kOpenExisting);
        ASSERT_NE(handle, INVALID_HANDLE_VALUE);
        for (unsigned check = 0; check < 5; ++check) {
            ATA_PASS_THROUGH_EX request{};
            request.Length = sizeof request;
            request.AtaFlags = 1;
            request.CurrentTaskFile[6] = 0xE5;
            ATA_PASS_THROUGH_EX reply{};
            DWORD returned = 0;
            const bool answered = bus.Request(handle, kIoctlAtaPassThrough, &request, sizeof request, &reply,
                                              sizeof reply, &returned);
            const char got = !answered ? '-' : reply.CurrentTaskFile[1] == 0x00 ? 'd'
                                           : reply.CurrentTaskFile[1] == 0xFF ? 'u'
                                                                              : '?';
            EXPECT_EQ(got, c.checkPower[check]) << "check " << check + 1;
            if (answered) {
                EXPECT_EQ(returned, sizeof reply);
                EXPECT_EQ(reply.CurrentTaskFile[6], 0x50) << "ready, no error";
            }
            bool on = false;
            const char state = !bus.DevicePowerState(handle, on) ? '-' : on ? 'u' : 'd';
            EXPECT_EQ(state, c.powerState[check]) << "check " << check + 1;
        }
        EXPECT_EQ(bus.PowerChecks(0), 5u);
    }
}

TEST(SimulatedDrives, SmartCommandsCountedPerDriveAndWhileAsleep)
{
    SimulatedMachine machine("drive 0\nsleep 1\ndrive 1\n");
    SmartDevice asleep;
    SmartDevice awake;
    ASSERT_TRUE(asleep.Open(0));
    ASSERT_TRUE(awake.Open(1));
    std::uint32_t bytes = 0;
    asleep.ReadAttributes(bytes);  // before any power check: still awake
    ATA_PASS_THROUGH_EX request{};
    request.CurrentTaskFile[6] = 0xE5;
    ATA_PASS_THROUGH_EX reply{};
    DWORD returned = 0;
    machine.bus.Request(asleep.Handle(), kIoctlAtaPassThrough, &request, sizeof request, &reply, sizeof reply,
                        &returned);
    asleep.ReadAttributes(bytes);
    asleep.ReadThresholds(bytes);
    asleep.EnableSmart(bytes);
    awake.ReadAttributes(bytes);
    std::uint32_t versionBytes = 0;
    asleep.GetVersion(versionBytes);  // the version is the driver's; the ENABLE after it reaches the drive
    EXPECT_EQ(machine.bus.SmartCommands(0), 5u);
    EXPECT_EQ(machine.bus.SmartCommandsAsleep(0), 4u);
    EXPECT_EQ(machine.bus.SmartCommands(1), 1u);
    EXPECT_EQ(machine.bus.SmartCommandsAsleep(1), 0u);
    EXPECT_EQ(machine.bus.PowerChecks(0), 1u);
    EXPECT_EQ(machine.bus.PowerChecks(1), 0u);
}

TEST(SimulatedDrives, TemperatureListRepeats)
{
    SimulatedMachine machine("drive 0\ntemperature 194 38 39 40\n");
    SmartDevice device;
    std::uint32_t bytes = 0;
    ASSERT_TRUE(device.Open(0));
    const std::uint8_t expected[] = {38, 39, 40, 38, 39};
    for (std::uint8_t value : expected) {
        ASSERT_NE(device.ReadAttributes(bytes), nullptr);
        std::uint8_t raw[6] = {};
        ASSERT_TRUE(device.FindAttribute(194, raw));
        EXPECT_EQ(raw[0], value);
    }
}

// Counts and normalised values over reads, the same on the Windows bus and on kelvixd's
// port (which once ignored every list); past the end the last value stays.
TEST(SimulatedDrives, AttributeAndHealthSeriesOnBothBuses)
{
    const std::string text = "drive 0\nattribute 197 0x0032 100 100 00\nattribute 5 0x0033 100 100 00\n"
                             "temperature 194 40 41\nraw 197 0 0 8 12\nnormalised 5 100 36\n"
                             "drive 1\nnvme\nhealth-series media-errors 0 3\nhealth-series used 89 90\n";
    SimulatedMachine machine(text);
    DriveSet set;
    std::string error;
    ASSERT_TRUE(Parse(text, set, error)) << error;
    SimulatedDrivePort port(set);
    DriveProtocol protocol{};
    const int ata = port.Open(0, protocol);
    const int nvme = port.Open(1, protocol);
    SmartDevice device;
    ASSERT_TRUE(device.Open(0));
    const struct {
        std::uint8_t temperature;
        std::uint8_t pending;
        std::uint8_t reallocatedValue;
    } reads[] = {{40, 0, 100}, {41, 0, 36}, {40, 8, 36}, {41, 12, 36}, {40, 12, 36}};
    for (const auto& read : reads) {
        std::uint32_t bytes = 0;
        const std::uint8_t* windows = device.ReadAttributes(bytes);
        ASSERT_NE(windows, nullptr);
        AtaTaskfile command;
        command.features = 0xD0;
        command.sectorCount = 1;
        command.lbaMid = 0x4F;
        command.lbaHigh = 0xC2;
        command.command = 0xB0;
        std::uint8_t portSector[512] = {};
        ASSERT_TRUE(port.Ata(ata, command, portSector, 512, nullptr));
        EXPECT_EQ(std::memcmp(windows, portSector + kSmartTableOffset, kSmartEntryCount * kSmartEntrySize), 0);
        std::uint8_t raw[6] = {};
        ASSERT_TRUE(device.FindAttribute(194, raw));
        EXPECT_EQ(raw[0], read.temperature);
        ASSERT_TRUE(device.FindAttribute(197, raw));
        EXPECT_EQ(raw[0], read.pending);
        unsigned sum = 0;
        for (const std::uint8_t byte : portSector) {
            sum += byte;
        }
        EXPECT_EQ(sum % 256, 0u) << "the checksum follows the values";
        for (unsigned i = 0; i < kSmartEntryCount; ++i) {
            if (windows[i * kSmartEntrySize] == 5) {
                EXPECT_EQ(windows[i * kSmartEntrySize + 3], read.reallocatedValue);
            }
        }
    }
    const std::uint8_t expectedErrors[] = {0, 3, 3};
    const std::uint8_t expectedUsed[] = {89, 90, 90};
    for (unsigned i = 0; i < 3; ++i) {
        NvmeAdminCommand logPage;
        logPage.opcode = kNvmeAdminGetLogPage;
        logPage.namespaceId = kNvmeAllNamespaces;
        logPage.cdw10 = (512 / 4 - 1) << 16 | 0x02;
        std::uint8_t page[512] = {};
        ASSERT_TRUE(port.NvmeAdmin(nvme, logPage, page, sizeof page));
        EXPECT_EQ(page[160], expectedErrors[i]);
        EXPECT_EQ(page[5], expectedUsed[i]);
    }
    EXPECT_FALSE(Parse("drive 0\nraw 197 1\n", set, error)) << "the attribute must exist";
    EXPECT_FALSE(Parse("drive 0\nnvme\nhealth-series temperature 300\n", set, error));
}

TEST(SimulatedDrives, AttributeReadsFailFromTheGivenRead)
{
    SimulatedMachine machine("drive 0\nfail attributes from 3\n");
    SmartDevice device;
    std::uint32_t bytes = 0;
    ASSERT_TRUE(device.Open(0));
    EXPECT_NE(device.ReadAttributes(bytes), nullptr);
    EXPECT_NE(device.ReadAttributes(bytes), nullptr);
    EXPECT_EQ(device.ReadAttributes(bytes), nullptr);
    EXPECT_EQ(device.ReadAttributes(bytes), nullptr);
    EXPECT_NE(device.ReadThresholds(bytes), nullptr) << "only attribute reads fail";
}

TEST(SimulatedDrives, ReplyShapeAsADriverGivesIt)
{
    DriveSet set = DriveSetFromText("drive 0\nattribute 194 0x22 100 100 2D\n");
    SimulatedDiskBus bus(set);
    HANDLE handle = bus.Open("\\\\.\\PHYSICALDRIVE0", kAccessReadWrite, kShareReadWrite, kOpenExisting);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);

    SENDCMDINPARAMS request{};
    request.cBufferSize = 512;
    request.irDriveRegs = {kSmartReadData, 1, 1, kSmartCylLow, kSmartCylHigh, 0xA0, kAtaSmart, 0};
    std::uint8_t reply[kSmartReplySize];
    std::memset(reply, 0x77, sizeof(reply));
    DWORD returned = 0;
    ASSERT_TRUE(bus.Request(handle, kSmartRcvDriveData, &request, 32, reply, 528, &returned));
    EXPECT_EQ(returned, 528u);
    EXPECT_EQ(reply[0] | reply[1] << 8 | reply[2] << 16 | reply[3] << 24, 512) << "cBufferSize";
    EXPECT_EQ(std::vector<std::uint8_t>(reply + 4, reply + 16), std::vector<std::uint8_t>(12, 0)) << "DRIVERSTATUS";
    EXPECT_EQ(std::memcmp(reply + 16, set.drives[0].smartData, 512), 0);

    // Too small an output buffer, an unknown feature, a short input: refused.
    EXPECT_FALSE(bus.Request(handle, kSmartRcvDriveData, &request, 32, reply, 527, &returned));
    EXPECT_EQ(returned, 0u);
    EXPECT_FALSE(bus.Request(handle, kSmartRcvDriveData, &request, 31, reply, 528, &returned));
    request.irDriveRegs.bFeaturesReg = 0xD5;
    EXPECT_FALSE(bus.Request(handle, kSmartRcvDriveData, &request, 32, reply, 528, &returned));
    EXPECT_EQ(reply[5], 0x04) << "aborted command status";

    // The enable command answers with the 16-byte header alone.
    request.cBufferSize = 0;
    request.irDriveRegs.bFeaturesReg = kSmartEnableOperations;
    std::uint8_t status[16];
    ASSERT_TRUE(bus.Request(handle, kSmartSendDriveCommand, &request, 32, status, 16, &returned));
    EXPECT_EQ(returned, 16u);
    bus.Close(handle);
    EXPECT_FALSE(bus.Request(handle, kSmartSendDriveCommand, &request, 32, status, 16, &returned)) << "closed";
}

TEST(SimulatedDrives, NineXRequestsChooseTheDriveByNumber)
{
    SimulatedMachine machine("platform 1\ndrive 0\nmodel FIRST\ndrive 1\nmodel SECOND\n");
    EnumerateDrives(machine.drives);
    EXPECT_STREQ(machine.drives.table[0].model, "FIRST");
    EXPECT_STREQ(machine.drives.table[1].model, "SECOND");
    EXPECT_EQ(machine.bus.Opens().size(), 4u);
    for (const SimulatedOpen& open : machine.bus.Opens()) {
        EXPECT_EQ(open.name, "\\\\.\\SMARTVSD");
    }
}

TEST(DriveSetFile, SectorFilesReplayUnchanged)
{
    // Sectors as dumped from a drive, with whatever checksum they carry.
    std::map<std::string, std::string> files;
    std::string identify(512, '\0');
    std::string smart(512, '\0');
    std::string thresholds(512, '\0');
    for (unsigned i = 0; i < 512; ++i) {
        identify[i] = static_cast<char>(i * 7 + 1);
        smart[i] = static_cast<char>(i * 13 + 5);
        thresholds[i] = static_cast<char>(i * 3);
    }
    identify[0] = 0x40;
    identify[1] = 0x00;  // ATA device
    files["dumps/d.identify"] = identify;
    files["dumps/d.smart"] = smart;
    files["dumps/d.thresholds"] = thresholds;
    const SectorReader memory = [&files](const std::string& path, std::uint8_t (&sector)[512], std::string& error) {
        const auto found = files.find(path);
        if (found == files.end()) {
            error = "cannot read " + path;
            return false;
        }
        std::memcpy(sector, found->second.data(), 512);
        return true;
    };
    DriveSet set;
    std::string error;
    ASSERT_TRUE(ParseDriveSet("drive 4\nidentify-file d.identify\nsmart-file d.smart\nthresholds-file d.thresholds\n",
                              "dumps", memory, set, error))
        << error;
    EXPECT_EQ(std::memcmp(set.drives[4].identify, identify.data(), 512), 0);
    EXPECT_EQ(std::memcmp(set.drives[4].smartData, smart.data(), 512), 0);
    EXPECT_EQ(std::memcmp(set.drives[4].thresholds, thresholds.data(), 512), 0);

    DriveSet other;
    EXPECT_FALSE(ParseDriveSet("drive 4\nsmart-file missing.bin\n", "dumps", memory, other, error));
    EXPECT_EQ(error, "line 2: cannot read dumps/missing.bin");
}

TEST(DriveSetFile, RealSectorFilesMustBe512Bytes)
{
    WorkingDirectory directory;
    WriteWholeFile("short.bin", std::string(511, 'x'));
    WriteWholeFile("exact.bin", std::string(512, 'y'));
    WriteWholeFile("set.txt", "drive 0\nsmart-file exact.bin\ndrive 1\nidentify-file short.bin\n");
    DriveSet set;
    std::string error;
    EXPECT_FALSE(LoadDriveSet(directory.Path() + "/set.txt", set, error));
    EXPECT_EQ(error, "line 4: " + directory.Path() + "/short.bin is not 512 bytes long");
    EXPECT_EQ(set.drives[0].smartData[0], 'y');
    EXPECT_FALSE(LoadDriveSet("no-such-set.txt", set, error));
    EXPECT_EQ(error, "cannot open no-such-set.txt");
    WriteWholeFile("dir-set.txt", "drive 0\nsmart-file .\n");
    EXPECT_FALSE(LoadDriveSet("dir-set.txt", set, error)) << "a directory is no sector file";
}

TEST(DriveSetFile, DocumentedExampleRunsWithTheShippedDatabase)
{
    WorkingDirectory directory;
    ASSERT_EQ(LoadDriveDatabase(KV_HDDATA_CFG), 1);
    DriveSet set;
    std::string error;
    ASSERT_TRUE(LoadDriveSet(KV_EXAMPLE_DRIVESET, set, error)) << error;
    {
        SimulatedMachine machine(set);
        EnumerateForLaterTicks(machine.drives);
        ASSERT_EQ(machine.drives.presentCount, 4u);
        EXPECT_EQ(machine.drives.table[3].device.Route(), AtaRoute::Sat12);
        EXPECT_EQ(machine.drives.table[3].temperatureSource, TemperatureSource::Fallback);
        EXPECT_STREQ(machine.drives.table[0].model, "ST380011A");
        EXPECT_STREQ(machine.drives.table[1].transferModeText, "MultiWordDMA-2");
        EXPECT_STREQ(machine.drives.table[2].capacityText, "1.00TB");
        const Settings settings;
        struct Cycle {
            std::uint32_t measured;
            std::uint8_t seagate, samsung, nvme;
        } const cycles[] = {{4, 39, 44, 37}, {4, 40, 44, 38}, {3, 41, 44, 38}, {3, 40, 44, 36}, {2, 39, 44, 36}};
        for (const Cycle& cycle : cycles) {
            EXPECT_EQ(MeasureAll(machine.drives, settings), cycle.measured);
            EXPECT_EQ(machine.drives.table[0].currentTemperature, cycle.seagate);
            EXPECT_EQ(machine.drives.table[1].currentTemperature, cycle.samsung);
            EXPECT_EQ(machine.drives.table[2].currentTemperature, cycle.nvme);
            EXPECT_EQ(machine.drives.table[3].currentTemperature, 36);
        }
        EXPECT_EQ(machine.drives.table[0].worstTemperature, 41);
    }
    TheDriveDatabase().Clear();
}

TEST(DriveSetFile, BridgeKinds)
{
    const struct {
        const char* text;
        SimulatedBridge bridge;
    } cases[] = {
        {"drive 3\n", SimulatedBridge::None},
        {"drive 3\nbridge sat16\n", SimulatedBridge::Sat16},
        {"drive 3\nbridge sat12\n", SimulatedBridge::Sat12},
        {"drive 3\nbridge  sat16-no-status \n", SimulatedBridge::Sat16NoStatus},
    };
    for (const auto& c : cases) {
        DriveSet set;
        std::string error;
        ASSERT_TRUE(Parse(c.text, set, error)) << c.text << error;
        EXPECT_EQ(set.drives[3].bridge, c.bridge) << c.text;
    }
}

TEST(DriveSetFile, TemperaturePropertyDrive)
{
    DriveSet set;
    std::string error;
    ASSERT_TRUE(Parse("drive 2\nmodel Portable SSD T7\ntemperature-property 70 0x50 38 0 255\n", set, error)) << error;
    const SimulatedDrive& drive = set.drives[2];
    EXPECT_TRUE(drive.propertyOnly);
    EXPECT_EQ(drive.propertyWarning, 70);
    EXPECT_EQ(drive.propertyCritical, 80);
    EXPECT_EQ(drive.propertyTemperatures, (std::vector<std::int16_t>{38, 0, 255}));
    EXPECT_FALSE(set.drives[1].propertyOnly);
}

}  // namespace
