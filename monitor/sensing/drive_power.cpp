#include "drive_power.h"

#include "disk_control.h"

#include <cstring>

void FillCheckPowerRequest(ATA_PASS_THROUGH_EX& request)
{
    std::memset(&request, 0, sizeof request);
    request.Length = static_cast<std::uint16_t>(sizeof request);
    request.AtaFlags = kAtaFlagDrdyRequired;
    request.TimeOutValue = 2;
    request.CurrentTaskFile[kTaskCommand] = kAtaCheckPowerMode;
}

PowerAnswer ReadCheckPowerReply(bool ok, const ATA_PASS_THROUGH_EX& reply, DWORD returned)
{
    if (!ok || returned < sizeof reply) {
        return PowerAnswer::NotAnswered;
    }
    const BYTE status = reply.CurrentTaskFile[kTaskCommand];
    if ((status & (kAtaStatusBusy | kAtaStatusError)) != 0) {
        return PowerAnswer::NotAnswered;
    }
    return PowerModeAnswer(reply.CurrentTaskFile[kTaskSectorCount]);
}

PowerAnswer PowerModeAnswer(std::uint8_t count)
{
    switch (count) {
    case 0x00:  // standby
    case 0x01:  // standby, reached through the extended power conditions
    case 0x40:  // non-volatile cache power mode, spindle spun down
        return PowerAnswer::SpunDown;
    case 0x41:  // non-volatile cache power mode, spindle spun up
    case 0x80:  // idle
    case 0x81:
    case 0x82:
    case 0x83:
    case 0xFF:  // active or idle
        return PowerAnswer::SpunUp;
    default:
        return PowerAnswer::NotAnswered;
    }
}

PowerAnswer AskDrivePower(HANDLE handle)
{
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        return PowerAnswer::NotAnswered;
    }
    DiskControl& disk = ActiveDiskControl();
    ATA_PASS_THROUGH_EX request;
    FillCheckPowerRequest(request);
    ATA_PASS_THROUGH_EX reply;
    std::memset(&reply, 0, sizeof reply);
    DWORD returned = 0;
    const bool ok = disk.Request(handle, kIoctlAtaPassThrough, &request, sizeof request, &reply, sizeof reply,
                                 &returned);
    const PowerAnswer answer = ReadCheckPowerReply(ok, reply, returned);
    if (answer != PowerAnswer::NotAnswered) {
        return answer;
    }
    bool on = true;
    if (!disk.DevicePowerState(handle, on)) {
        return PowerAnswer::NotAnswered;
    }
    return on ? PowerAnswer::SpunUp : PowerAnswer::SpunDown;
}

namespace {

PowerAnswer BridgeAnswer(const SatReply& reply)
{
    return reply.done && reply.registersKnown ? PowerModeAnswer(reply.registers.sectorCount)
                                              : PowerAnswer::NotAnswered;
}

AtaTaskfile CheckPowerTask()
{
    AtaTaskfile task;
    task.command = kAtaCheckPowerMode;
    return task;
}

}  // namespace

PowerAnswer AskPower(SmartDevice& device)
{
    // USB storage drivers have no ATA pass-through of their own.
    if (device.Route() != AtaRoute::Smart) {
        const PowerAnswer answer = BridgeAnswer(device.SatNonData(CheckPowerTask()));
        if (answer != PowerAnswer::NotAnswered) {
            return answer;
        }
    }
    return AskDrivePower(device.Handle());
}

PowerAnswer AskPowerFirst(SmartDevice& device, bool behindUsb)
{
    if (behindUsb && device.Route() == AtaRoute::Smart) {
        const PowerAnswer answer = BridgeAnswer(device.ProbeSatNonData(CheckPowerTask()));
        if (answer != PowerAnswer::NotAnswered) {
            return answer;
        }
        return AskDrivePower(device.Handle());
    }
    return AskPower(device);
}

TickDecision DecideTick(PowerAnswer answer, std::uint32_t forceReadAfter, std::uint32_t& skippedTicks)
{
    if (answer != PowerAnswer::SpunDown) {
        skippedTicks = 0;
        return TickDecision{true, false};
    }
    if (forceReadAfter != 0 && skippedTicks >= forceReadAfter) {
        // This read spins the drive up: it is awake from here on.
        skippedTicks = 0;
        return TickDecision{true, false};
    }
    ++skippedTicks;
    return TickDecision{false, true};
}
