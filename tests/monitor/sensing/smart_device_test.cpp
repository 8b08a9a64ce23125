// SmartDevice against simulated drives: the exact request records per operation and
// drive number, the ATAPI and 9x paths, and the attribute lookup rules.
#include "drive_enumeration.h"
#include "sensing_test_support.h"
#include "smart_device.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::uint8_t> RecordOf(const SimulatedRequest& request)
{
    return std::vector<std::uint8_t>(request.record, request.record + kSmartRequestSize);
}

std::string OneDrive(unsigned platform, unsigned number, const std::string& extra = "")
{
    return "platform " + std::to_string(platform) + "\ndrive " + std::to_string(number) +
           "\nattribute 194 0x0022 100 100 2D\nthreshold 194 0\n" + extra;
}

// Every request one full start-up read of a drive sends, in order.
struct ExpectedStep {
    const char* what;
    DWORD code;
    DWORD inSize;
    DWORD outSize;
    std::uint32_t bufferSize;
    std::uint8_t features, cylLow, cylHigh, command;
};

const ExpectedStep kAtaSteps[] = {
    {"version", kSmartGetVersion, 0, 24, 0, 0, 0, 0, 0},
    {"enable", kSmartSendDriveCommand, 32, 16, 0, 0xD8, 0x4F, 0xC2, 0xB0},
    {"identify", kSmartRcvDriveData, 32, 528, 512, 0x00, 0x00, 0x00, 0xEC},
    {"attributes", kSmartRcvDriveData, 32, 528, 512, 0xD0, 0x4F, 0xC2, 0xB0},
    {"thresholds", kSmartRcvDriveData, 32, 528, 512, 0xD1, 0x4F, 0xC2, 0xB0},
};

struct RequestCase {
    unsigned platform;
    unsigned drive;
};

class RequestRecords : public ::testing::TestWithParam<RequestCase> {};

TEST_P(RequestRecords, EveryOperationSendsTheDriverRecord)
{
    const RequestCase c = GetParam();
    SimulatedMachine machine(OneDrive(c.platform, c.drive));
    SmartDevice& device = machine.drives.table[c.drive].device;
    std::uint32_t bytes = 0;

    ASSERT_TRUE(device.Open(static_cast<std::uint8_t>(c.drive)));
    ASSERT_NE(device.GetVersion(bytes), nullptr);
    EXPECT_EQ(bytes, 24u);
    ASSERT_NE(device.Identify(bytes), nullptr);
    EXPECT_EQ(bytes, 528u);
    ASSERT_NE(device.ReadAttributes(bytes), nullptr);
    EXPECT_EQ(bytes, 528u);
    ASSERT_NE(device.ReadThresholds(bytes), nullptr);
    EXPECT_EQ(bytes, 528u);

    const auto& requests = machine.bus.Requests();
    ASSERT_EQ(requests.size(), std::size(kAtaSteps));
    for (std::size_t i = 0; i < requests.size(); ++i) {
        const ExpectedStep& step = kAtaSteps[i];
        SCOPED_TRACE(step.what);
        EXPECT_EQ(requests[i].code, step.code);
        EXPECT_EQ(requests[i].inSize, step.inSize);
        EXPECT_EQ(requests[i].outSize, step.outSize);
        // On 9x the version comes from the driver, which no drive number selects.
        const bool driverAnswers = c.platform == kPlatformWindows9x && step.code == kSmartGetVersion;
        EXPECT_EQ(requests[i].drive, driverAnswers ? -1 : static_cast<int>(c.drive));
        EXPECT_TRUE(requests[i].succeeded);
        if (step.code == kSmartGetVersion) {
            EXPECT_EQ(RecordOf(requests[i]), std::vector<std::uint8_t>(32, 0)) << "no input record";
        } else {
            EXPECT_EQ(RecordOf(requests[i]), ExpectedRequest(step.bufferSize, step.features, step.cylLow,
                                                             step.cylHigh, step.command, c.drive, c.platform));
        }
    }
}

std::vector<RequestCase> AllDriveNumbers()
{
    std::vector<RequestCase> cases;
    for (unsigned n = 0; n < 16; ++n) {
        cases.push_back({kPlatformWindowsNT, n});
    }
    for (unsigned n = 0; n < 4; ++n) {
        cases.push_back({kPlatformWindows9x, n});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(NtAndNineX, RequestRecords, ::testing::ValuesIn(AllDriveNumbers()),
                         [](const ::testing::TestParamInfo<RequestCase>& info) {
                             return std::string(info.param.platform == kPlatformWindowsNT ? "nt" : "9x") +
                                    "_drive" + std::to_string(info.param.drive);
                         });

TEST(SmartDeviceOpen, NamesAndModesFollowThePlatform)
{
    struct Case {
        unsigned platform;
        unsigned drive;
        const char* name;
        DWORD access, share, creation;
    } const cases[] = {
        {kPlatformWindowsNT, 0, "\\\\.\\PHYSICALDRIVE0", 0xC0000000, 3, 3},
        {kPlatformWindowsNT, 13, "\\\\.\\PHYSICALDRIVE13", 0xC0000000, 3, 3},
        {kPlatformWindows9x, 2, "\\\\.\\SMARTVSD", 0, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedMachine machine(OneDrive(c.platform, c.drive));
        SmartDevice device;
        ASSERT_TRUE(device.Open(static_cast<std::uint8_t>(c.drive)));
        ASSERT_EQ(machine.bus.Opens().size(), 1u);
        const SimulatedOpen& open = machine.bus.Opens()[0];
        EXPECT_EQ(open.name, c.name);
        EXPECT_EQ(open.access, c.access);
        EXPECT_EQ(open.share, c.share);
        EXPECT_EQ(open.creation, c.creation);
        EXPECT_EQ(device.DriveNumber(), c.drive);
    }
}

TEST(SmartDeviceOpen, UnknownPlatformOpensNothing)
{
    SimulatedMachine machine(OneDrive(0, 0));
    SmartDevice device;
    EXPECT_FALSE(device.Open(0));
    EXPECT_FALSE(device.IsOpen());
    EXPECT_TRUE(machine.bus.Opens().empty());
}

TEST(SmartDeviceOpen, SecondOpenIsRefusedAndKeepsTheFirstDevice)
{
    SimulatedMachine machine("drive 1\ndrive 2\n");
    SmartDevice device;
    ASSERT_TRUE(device.Open(1));
    EXPECT_FALSE(device.Open(2));
    EXPECT_EQ(device.DriveNumber(), 1);
    EXPECT_EQ(machine.bus.OpenCount(), 1u);
    std::uint32_t bytes = 0;
    ASSERT_NE(device.GetVersion(bytes), nullptr);
    EXPECT_EQ(machine.bus.Requests().back().drive, 1);
}

TEST(SmartDeviceOpen, CloseReleasesTheHandleAndForgetsEverything)
{
    SimulatedMachine machine(OneDrive(2, 3));
    SmartDevice device;
    std::uint32_t bytes = 0;
    ASSERT_TRUE(device.Open(3));
    ASSERT_NE(device.GetVersion(bytes), nullptr);
    ASSERT_NE(device.ReadAttributes(bytes), nullptr);
    device.Close();
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(device.DriveNumber(), 0);
    EXPECT_EQ(device.IdentifyCommand(), 0);
    EXPECT_EQ(device.VersionResult(), nullptr);
    EXPECT_EQ(device.AttributeResult(), nullptr);
    EXPECT_EQ(machine.bus.OpenHandles(), 0u);
    // A closed device sends nothing.
    const auto sent = machine.bus.RequestCount();
    EXPECT_EQ(device.ReadAttributes(bytes), nullptr);
    EXPECT_EQ(device.GetVersion(bytes), nullptr);
    EXPECT_FALSE(device.EnableSmart(bytes));
    EXPECT_EQ(machine.bus.RequestCount(), sent);
}

TEST(SmartDeviceVersion, AtapiDevicesGetThePacketIdentifyAndNoEnable)
{
    // Drives 0-3 are ATAPI (map 0xF0); 4 and 5 are ATA: the ATAPI bits never reach
    // drive numbers from 4 on.
    SimulatedMachine machine("drive 0\natapi\ndrive 1\natapi\ndrive 2\natapi\ndrive 3\natapi\n"
                             "drive 4\ndrive 5\n");
    struct Case {
        unsigned drive;
        std::uint8_t identifyCommand;
        bool enableSent;
    } const cases[] = {{0, 0xA1, false}, {1, 0xA1, false}, {2, 0xA1, false},
                       {3, 0xA1, false}, {4, 0xEC, true},  {5, 0xEC, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE("drive " + std::to_string(c.drive));
        machine.bus.ClearLog();
        SmartDevice& device = machine.drives.table[c.drive].device;
        std::uint32_t bytes = 0;
        ASSERT_TRUE(device.Open(static_cast<std::uint8_t>(c.drive)));
        const GETVERSIONINPARAMS* version = device.GetVersion(bytes);
        ASSERT_NE(version, nullptr);
        EXPECT_EQ(version->bIDEDeviceMap, 0xF0);
        EXPECT_EQ(device.IdentifyCommand(), c.identifyCommand);
        EXPECT_EQ(machine.bus.RequestCount(kSmartSendDriveCommand), c.enableSent ? 1u : 0u);
        ASSERT_NE(device.Identify(bytes), nullptr);
        EXPECT_EQ(machine.bus.Requests().back().record[10], c.identifyCommand);
    }
}

TEST(SmartDeviceVersion, FailedVersionKeepsTheIdentifyCommand)
{
    SimulatedMachine machine("drive 0\nfail version\n");
    SmartDevice device;
    std::uint32_t bytes = 7;
    ASSERT_TRUE(device.Open(0));
    EXPECT_EQ(device.GetVersion(bytes), nullptr);
    EXPECT_EQ(device.IdentifyCommand(), 0);
    EXPECT_EQ(machine.bus.RequestCount(kSmartSendDriveCommand), 0u);
}

TEST(SmartDeviceData, FailedRequestLeavesNoResult)
{
    SimulatedMachine machine("drive 0\nfail attributes from 2\n");
    SmartDevice device;
    std::uint32_t bytes = 0;
    ASSERT_TRUE(device.Open(0));
    ASSERT_NE(device.GetVersion(bytes), nullptr);
    ASSERT_NE(device.ReadAttributes(bytes), nullptr);
    EXPECT_EQ(device.ReadAttributes(bytes), nullptr);
    EXPECT_EQ(device.AttributeResult(), nullptr);
    EXPECT_EQ(bytes, 0u);
}

TEST(SmartDeviceData, ResultsPointPastTheReplyHeader)
{
    SimulatedMachine machine("drive 0\nmodel PointerCheck\nattribute 9 0x0032 99 99 10 27\n");
    SmartDevice device;
    std::uint32_t bytes = 0;
    ASSERT_TRUE(device.Open(0));
    ASSERT_NE(device.GetVersion(bytes), nullptr);
    const std::uint8_t* identify = device.Identify(bytes);
    ASSERT_NE(identify, nullptr);
    EXPECT_EQ(std::memcmp(identify, machine.bus.Drives().drives[0].identify, 512), 0);
    const std::uint8_t* attributes = device.ReadAttributes(bytes);
    ASSERT_NE(attributes, nullptr);
    // Data byte 2 on: the first entry.
    EXPECT_EQ(attributes[0], 9);
    EXPECT_EQ(attributes[5], 0x10);
    EXPECT_EQ(attributes[6], 0x27);
}

// FindAttribute over tables set up through drive-set text.
struct FindCase {
    const char* name;
    const char* attributes;  // attribute lines of drive 0
    std::uint8_t id;
    bool found;
    std::uint8_t raw[6];
};

std::string FullTable()
{
    std::string lines;
    for (unsigned id = 1; id <= 30; ++id) {
        lines += "attribute " + std::to_string(id) + " 0x0032 100 100 01 02 03 04 05 06\n";
    }
    return lines;
}

TEST(SmartDeviceFindAttribute, TableRules)
{
    static const std::string full = FullTable();
    const FindCase cases[] = {
        {"temperature raw bytes", "attribute 194 0x0022 45 55 2D 00 11 22 33 44\n", 194, true,
         {0x2D, 0x00, 0x11, 0x22, 0x33, 0x44}},
        {"absent id in a full table", full.c_str(), 194, false, {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA}},
        {"id 0 finds the first free entry", "attribute 194 0x0022 45 55 2D 00 11 22 33 44\n", 0, true,
         {0, 0, 0, 0, 0, 0}},
        {"id 0 in a full table", full.c_str(), 0, false, {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA}},
        {"last of thirty", full.c_str(), 30, true, {1, 2, 3, 4, 5, 6}},
    };
    for (const FindCase& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedMachine machine(std::string("drive 0\n") + c.attributes);
        SmartDevice device;
        std::uint32_t bytes = 0;
        ASSERT_TRUE(device.Open(0));
        ASSERT_NE(device.ReadAttributes(bytes), nullptr);
        std::uint8_t raw[6];
        std::memset(raw, 0xAA, sizeof(raw));
        EXPECT_EQ(device.FindAttribute(c.id, raw), c.found);
        EXPECT_EQ(std::vector<std::uint8_t>(raw, raw + 6), std::vector<std::uint8_t>(c.raw, c.raw + 6));
    }
}

TEST(SmartDeviceFindAttribute, NothingBeforeAReadOrAfterAFailedOne)
{
    SimulatedMachine machine("drive 0\nattribute 194 0x0022 45 55 2D\nfail attributes from 2\n");
    SmartDevice device;
    std::uint8_t raw[6] = {};
    std::uint32_t bytes = 0;
    EXPECT_FALSE(device.FindAttribute(194, raw)) << "closed";
    ASSERT_TRUE(device.Open(0));
    EXPECT_FALSE(device.FindAttribute(194, raw)) << "open, nothing read";
    ASSERT_NE(device.ReadAttributes(bytes), nullptr);
    EXPECT_TRUE(device.FindAttribute(194, raw));
    EXPECT_EQ(device.ReadAttributes(bytes), nullptr);
    EXPECT_FALSE(device.FindAttribute(194, raw)) << "after a failed read";
}

TEST(ProbeCount, NtProbesSixteenEverythingElseFour)
{
    EXPECT_EQ(ProbeCountForPlatform(kPlatformWindowsNT), 16u);
    EXPECT_EQ(ProbeCountForPlatform(kPlatformWindows9x), 4u);
    EXPECT_EQ(ProbeCountForPlatform(kPlatformWin32s), 4u);
    EXPECT_EQ(ProbeCountForPlatform(3), 4u);
    SimulatedMachine nineX("platform 1\ndrive 0\n");
    EXPECT_EQ(nineX.drives.probeCount, 4u);
}

}  // namespace
