// Asking a drive's power state without waking it, and what each tick does with the
// answer: the reply table of CHECK POWER MODE, the order of the two questions, and
// the skip / force-read / wake sequence.
#include "disk_control.h"
#include "drive_power.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// A drive answering (or refusing) the two power questions, recording what it was asked.
class PowerDisk final : public DiskControl {
public:
    bool passThroughAnswers = true;
    BYTE status = 0x50;  // ready, seek complete
    BYTE sectorCount = 0xFF;
    bool powerStateAnswers = true;
    bool powerOn = true;
    std::vector<DWORD> codes;
    ATA_PASS_THROUGH_EX lastRequest{};
    int powerStateCalls = 0;

    std::uint32_t PlatformId() override { return kPlatformWindowsNT; }
    HANDLE Open(const char*, DWORD, DWORD, DWORD) override { return INVALID_HANDLE_VALUE; }
    void Close(HANDLE) override {}
    bool Request(HANDLE, DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
                 DWORD* bytesReturned) override
    {
        codes.push_back(code);
        *bytesReturned = 0;
        if (code != kIoctlAtaPassThrough || !passThroughAnswers || inSize != sizeof lastRequest ||
            outSize < sizeof lastRequest) {
            return false;
        }
        std::memcpy(&lastRequest, in, sizeof lastRequest);
        ATA_PASS_THROUGH_EX reply = lastRequest;
        reply.CurrentTaskFile[kTaskSectorCount] = sectorCount;
        reply.CurrentTaskFile[kTaskCommand] = status;
        std::memcpy(out, &reply, sizeof reply);
        *bytesReturned = sizeof reply;
        return true;
    }
    bool DevicePowerState(HANDLE, bool& on) override
    {
        ++powerStateCalls;
        on = powerOn;
        return powerStateAnswers;
    }
};

HANDLE SomeHandle()
{
    return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(0x1234));
}

struct ScopedControl {
    explicit ScopedControl(DiskControl& control) { InstallDiskControl(&control); }
    ~ScopedControl() { InstallDiskControl(nullptr); }
};

TEST(DrivePower, CheckPowerRequestBytes)
{
    ATA_PASS_THROUGH_EX request;
    std::memset(&request, 0xCC, sizeof request);
    FillCheckPowerRequest(request);
    EXPECT_EQ(request.Length, kAtaPassThroughSize);
    EXPECT_EQ(request.AtaFlags, 0x01);  // DRDY required, no data
    EXPECT_EQ(request.DataTransferLength, 0u);
    EXPECT_EQ(request.DataBufferOffset, 0u);
    EXPECT_GT(request.TimeOutValue, 0u);
    const BYTE expected[8] = {0, 0, 0, 0, 0, 0, 0xE5, 0};
    EXPECT_EQ(std::memcmp(request.CurrentTaskFile, expected, 8), 0);
    const BYTE zero[8] = {};
    EXPECT_EQ(std::memcmp(request.PreviousTaskFile, zero, 8), 0);
}

TEST(DrivePower, CheckPowerReplies)
{
    struct Case {
        const char* name;
        bool ok;
        DWORD returned;  // 0: the whole record
        BYTE status;
        BYTE count;
        PowerAnswer expected;
    };
    const Case cases[] = {
        {"standby", true, 0, 0x50, 0x00, PowerAnswer::SpunDown},
        {"standby_y", true, 0, 0x50, 0x01, PowerAnswer::SpunDown},
        {"nv cache spun down", true, 0, 0x50, 0x40, PowerAnswer::SpunDown},
        {"nv cache spun up", true, 0, 0x50, 0x41, PowerAnswer::SpunUp},
        {"idle", true, 0, 0x50, 0x80, PowerAnswer::SpunUp},
        {"idle_a", true, 0, 0x50, 0x81, PowerAnswer::SpunUp},
        {"idle_c", true, 0, 0x50, 0x83, PowerAnswer::SpunUp},
        {"active", true, 0, 0x50, 0xFF, PowerAnswer::SpunUp},
        {"reserved value", true, 0, 0x50, 0x7F, PowerAnswer::NotAnswered},
        {"aborted", true, 0, 0x51, 0x00, PowerAnswer::NotAnswered},
        {"busy", true, 0, 0xD0, 0x00, PowerAnswer::NotAnswered},
        {"refused", false, 0, 0x50, 0x00, PowerAnswer::NotAnswered},
        {"short reply", true, 8, 0x50, 0x00, PowerAnswer::NotAnswered},
    };
    for (const Case& c : cases) {
        ATA_PASS_THROUGH_EX reply;
        FillCheckPowerRequest(reply);
        reply.CurrentTaskFile[kTaskCommand] = c.status;
        reply.CurrentTaskFile[kTaskSectorCount] = c.count;
        const DWORD returned = c.returned != 0 ? c.returned : kAtaPassThroughSize;
        EXPECT_EQ(ReadCheckPowerReply(c.ok, reply, returned), c.expected) << c.name;
    }
}

TEST(DrivePower, QuestionOrder)
{
    struct Case {
        const char* name;
        bool passThrough;
        BYTE count;
        bool powerState;
        bool on;
        PowerAnswer expected;
        int powerStateCalls;
    };
    const Case cases[] = {
        {"awake by pass-through", true, 0xFF, true, false, PowerAnswer::SpunUp, 0},
        {"standby by pass-through", true, 0x00, true, true, PowerAnswer::SpunDown, 0},
        {"pass-through refused, power state off", false, 0, true, false, PowerAnswer::SpunDown, 1},
        {"pass-through refused, power state on", false, 0, true, true, PowerAnswer::SpunUp, 1},
        {"reserved value, power state off", true, 0x10, true, false, PowerAnswer::SpunDown, 1},
        {"both refused", false, 0, false, false, PowerAnswer::NotAnswered, 1},
    };
    for (const Case& c : cases) {
        PowerDisk disk;
        disk.passThroughAnswers = c.passThrough;
        disk.sectorCount = c.count;
        disk.powerStateAnswers = c.powerState;
        disk.powerOn = c.on;
        ScopedControl installed(disk);
        EXPECT_EQ(AskDrivePower(SomeHandle()), c.expected) << c.name;
        EXPECT_EQ(disk.powerStateCalls, c.powerStateCalls) << c.name;
        // Nothing but the one pass-through request reaches the drive.
        ASSERT_EQ(disk.codes.size(), 1u) << c.name;
        EXPECT_EQ(disk.codes[0], kIoctlAtaPassThrough) << c.name;
    }
}

TEST(DrivePower, NoHandleAsksNothing)
{
    PowerDisk disk;
    ScopedControl installed(disk);
    EXPECT_EQ(AskDrivePower(nullptr), PowerAnswer::NotAnswered);
    EXPECT_EQ(AskDrivePower(INVALID_HANDLE_VALUE), PowerAnswer::NotAnswered);
    EXPECT_TRUE(disk.codes.empty());
    EXPECT_EQ(disk.powerStateCalls, 0);
}

TEST(DrivePower, DefaultControlDoesNotAnswerPowerState)
{
    // The seam's default for systems without the call.
    struct Bare final : DiskControl {
        std::uint32_t PlatformId() override { return 0; }
        HANDLE Open(const char*, DWORD, DWORD, DWORD) override { return INVALID_HANDLE_VALUE; }
        bool Request(HANDLE, DWORD, const void*, DWORD, void*, DWORD, DWORD*) override { return false; }
        void Close(HANDLE) override {}
    } bare;
    bool on = false;
    EXPECT_FALSE(bare.DevicePowerState(SomeHandle(), on));
    EXPECT_TRUE(on);
    ScopedControl installed(bare);
    EXPECT_EQ(AskDrivePower(SomeHandle()), PowerAnswer::NotAnswered);
}

// Ticks in turn: the drive's answer at each, and what the tick must do. 'u' spun up,
// 'd' spun down, '?' not answered; the expected letters: 'R' read, 'S' skipped asleep.
struct TickCase {
    const char* name;
    std::uint32_t forceReadAfter;
    const char* answers;
    const char* expected;
};

std::string RunTicks(const TickCase& c)
{
    std::uint32_t skipped = 0;
    std::string done;
    for (const char* a = c.answers; *a != '\0'; ++a) {
        const PowerAnswer answer = *a == 'u' ? PowerAnswer::SpunUp
                                   : *a == 'd' ? PowerAnswer::SpunDown
                                               : PowerAnswer::NotAnswered;
        const TickDecision decision = DecideTick(answer, c.forceReadAfter, skipped);
        EXPECT_NE(decision.read, decision.sleeping) << c.name;
        done += decision.read ? 'R' : 'S';
    }
    return done;
}

TEST(DrivePower, TickDecisions)
{
    const TickCase cases[] = {
        {"awake", 0, "uuu", "RRR"},
        {"sleeping", 0, "ddddd", "SSSSS"},
        {"unknown reads", 0, "???", "RRR"},
        {"falls asleep, wakes up", 0, "uddduu", "RSSSRR"},
        {"force after 2", 2, "ddddddd", "SSRSSRS"},
        {"force after 1", 1, "dddd", "SRSR"},
        {"waking resets the count", 2, "ddudddd", "SSRSSRS"},
        {"unknown resets the count", 3, "ddd?ddd", "SSSRSSS"},
        {"force after 3", 3, "dddddddd", "SSSRSSSR"},
    };
    for (const TickCase& c : cases) {
        EXPECT_EQ(RunTicks(c), c.expected) << c.name;
    }
}

}  // namespace
