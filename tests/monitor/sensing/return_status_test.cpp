// RETURN STATUS on each way a drive is reached: the disk driver's SMART_SEND_DRIVE_COMMAND
// (the registers after the reply header), IOCTL_ATA_PASS_THROUGH (the current task file),
// a bridge's ATA PASS-THROUGH with CK_COND (the
// registers in the sense data's ATA Status Return descriptor) and SG_IO on Linux (the same
// sense data, through the pass-through seam). Each transport gets the same drive answers
// as its own bytes; only the two register patterns are an answer.
#include "ata_records.h"
#include "disk_control.h"
#include "pass_through_disk_control.h"
#include "return_status.h"
#include "scsi_records.h"
#include "sg_io_outcome.h"
#include "simulated_disk.h"
#include "smart_device.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// What the drive leaves, and how much of it comes back.
enum class Back : std::uint8_t { Registers, NoRegisters, Refused };

struct Answer {
    std::uint8_t lbaMid;
    std::uint8_t lbaHigh;
    std::uint8_t status;  // 51h: ERR
    Back back;
};

// Sense data as a bridge or libata returns it: descriptor format, with the ATA Status
// Return descriptor (09h) unless the registers are left out.
std::vector<std::uint8_t> SenseOf(const Answer& answer)
{
    const bool error = (answer.status & kAtaStatusError) != 0;
    const bool registers = answer.back == Back::Registers;
    const std::uint8_t key = error ? 0x0B : 0x01;  // ABORTED COMMAND, or RECOVERED ERROR 00h/1Dh
    const std::uint8_t sense[22] = {0x72, key, 0x00, static_cast<std::uint8_t>(error ? 0x00 : 0x1D), 0, 0, 0,
                                    static_cast<std::uint8_t>(registers ? 14 : 0),
                                    // the ATA Status Return descriptor
                                    0x09, 0x0C, 0, static_cast<std::uint8_t>(error ? 0x04 : 0), 0, 0, 0, 0, 0,
                                    answer.lbaMid, 0, answer.lbaHigh, 0xA0, answer.status};
    return std::vector<std::uint8_t>(sense, sense + (registers ? sizeof sense : 8));
}

// A disk driver that answers every request with one drive's answer. A bridged drive's
// route is found by one CHECK POWER MODE that answers plainly.
class CannedDisk final : public DiskControl {
public:
    explicit CannedDisk(const Answer& answer) : answer_(answer) {}
    std::uint32_t PlatformId() override { return kPlatformWindowsNT; }
    HANDLE Open(const char*, DWORD, DWORD, DWORD) override { return reinterpret_cast<HANDLE>(0x10); }
    void Close(HANDLE) override {}
    bool Request(HANDLE, DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
                 DWORD* bytesReturned) override
    {
        auto* reply = static_cast<std::uint8_t*>(out);
        *bytesReturned = 0;
        if (answer_.back == Back::Refused && code == kSmartSendDriveCommand) {
            return false;
        }
        if (code == kSmartSendDriveCommand) {
            const IDEREGS registers{0, 0, 0, answer_.lbaMid, answer_.lbaHigh, 0xA0, answer_.status, 0};
            std::memset(reply, 0, outSize);
            std::memcpy(reply + kSmartStatusSize, &registers, sizeof registers);
            *bytesReturned = answer_.back == Back::Registers ? kSmartStatusSize + sizeof registers : kSmartStatusSize;
            return true;
        }
        if (code == kIoctlAtaPassThrough) {
            if (answer_.back == Back::Refused) {
                return false;
            }
            ATA_PASS_THROUGH_EX record;
            std::memcpy(&record, in, sizeof record);
            const BYTE registers[8] = {0, 0, 0, answer_.lbaMid, answer_.lbaHigh, 0xA0, answer_.status, 0};
            std::memcpy(record.CurrentTaskFile, registers, sizeof registers);
            std::memcpy(reply, &record, sizeof record);
            *bytesReturned = answer_.back == Back::Registers ? sizeof record : sizeof record - 8;
            return true;
        }
        if (code != kIoctlScsiPassThrough || (answer_.back == Back::Refused && !probing_)) {
            return false;
        }
        std::memcpy(reply, in, inSize);
        SCSI_PASS_THROUGH header;
        std::memcpy(&header, reply, sizeof header);
        const std::vector<std::uint8_t> sense = SenseOf(probing_ ? Answer{0, 0, 0x50, Back::Registers} : answer_);
        probing_ = false;
        header.ScsiStatus = kScsiStatusCheckCondition;
        header.SenseInfoLength = static_cast<BYTE>(sense.size());
        std::memcpy(reply + header.SenseInfoOffset, sense.data(), sense.size());
        std::memcpy(reply, &header, sizeof header);
        *bytesReturned = outSize;
        return true;
    }

private:
    Answer answer_;
    bool probing_ = true;
};

// The Linux port: what SG_IO's outcome says, decoded as LinuxDrivePort decodes it.
class CannedPort final : public DrivePort {
public:
    explicit CannedPort(const Answer& answer) : answer_(answer) {}
    int Open(unsigned, DriveProtocol& protocol) override
    {
        protocol = DriveProtocol::Ata;
        return 3;
    }
    void Close(int) override {}
    std::string Location(unsigned) const override { return "canned"; }
    bool Ata(int, const AtaTaskfile&, std::uint8_t*, std::uint32_t, AtaRegisters* returned) override
    {
        if (answer_.back == Back::Refused) {
            return false;
        }
        const std::vector<std::uint8_t> sense = SenseOf(answer_);
        PassThroughOutcome outcome;
        outcome.scsiStatus = 0x02;  // CHECK CONDITION, as CK_COND asks
        outcome.driverStatus = 0x08;
        outcome.sense = sense.data();
        outcome.senseLength = sense.size();
        return PassThroughSucceeded(outcome, returned);
    }
    bool NvmeAdmin(int, const NvmeAdminCommand&, std::uint8_t*, std::uint32_t) override { return false; }
    bool Length(int, std::uint64_t&) override { return false; }

private:
    Answer answer_;
};

enum class Transport : std::uint8_t { SmartIoctl, AtaPassThrough, Bridge, LinuxSgIo };

// The command's own bytes are the simulated drives' to check: they answer nothing else.
ReturnStatus Ask(Transport transport, const Answer& answer)
{
    if (transport == Transport::LinuxSgIo) {
        CannedPort port(answer);
        PassThroughDiskControl control(port);
        ScopedDiskControl installed(control);
        SmartDevice device;
        EXPECT_TRUE(device.Open(0));
        return device.AskReturnStatus();
    }
    CannedDisk disk(answer);
    ScopedDiskControl installed(disk);
    SmartDevice device;
    EXPECT_TRUE(device.Open(0));
    if (transport == Transport::Bridge) {
        AtaTaskfile checkPower;
        checkPower.command = kAtaCheckPowerMode;
        EXPECT_TRUE(device.ProbeSatNonData(checkPower).done);
        EXPECT_EQ(device.Route(), AtaRoute::Sat16);
    }
    return device.AskReturnStatus(transport == Transport::AtaPassThrough);
}

TEST(ReturnStatus, OnlyTheTwoPatternsAnswerOnEveryTransport)
{
    const struct {
        const char* name;
        Answer answer;
        ReturnStatus expected;
    } cases[] = {
        {"passed", {0x4F, 0xC2, 0x50, Back::Registers}, ReturnStatus::Passed},
        {"threshold exceeded", {0xF4, 0x2C, 0x50, Back::Registers}, ReturnStatus::Failing},
        {"registers left at zero", {0x00, 0x00, 0x50, Back::Registers}, ReturnStatus::NotAsked},
        {"half of each pattern", {0x4F, 0x2C, 0x50, Back::Registers}, ReturnStatus::NotAsked},
        {"the drive aborted it", {0xF4, 0x2C, 0x51, Back::Registers}, ReturnStatus::NotAsked},
        {"registers not returned", {0xF4, 0x2C, 0x50, Back::NoRegisters}, ReturnStatus::NotAsked},
        {"request refused", {0xF4, 0x2C, 0x50, Back::Refused}, ReturnStatus::NotAsked},
    };
    const struct {
        const char* name;
        Transport transport;
    } transports[] = {{"SMART ioctl", Transport::SmartIoctl},
                      {"ATA pass-through", Transport::AtaPassThrough},
                      {"bridge CK_COND", Transport::Bridge},
                      {"SG_IO", Transport::LinuxSgIo}};
    for (const auto& t : transports) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(t.name) + ": " + c.name);
            EXPECT_EQ(Ask(t.transport, c.answer), c.expected);
        }
    }
}

}  // namespace
