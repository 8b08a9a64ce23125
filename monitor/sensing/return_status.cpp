#include "return_status.h"

#include "ata_records.h"
#include "drive_table.h"
#include "smart_records.h"

#include <cstddef>
#include <cstring>

ReturnStatus ReturnStatusOfRegisters(std::uint8_t lbaMid, std::uint8_t lbaHigh)
{
    if (lbaMid == kSmartCylLow && lbaHigh == kSmartCylHigh) {
        return ReturnStatus::Passed;
    }
    if (lbaMid == kSmartFailingCylLow && lbaHigh == kSmartFailingCylHigh) {
        return ReturnStatus::Failing;
    }
    return ReturnStatus::NotAsked;
}

ReturnStatus ReturnStatusOfSmartReply(bool ok, const std::uint8_t* reply, std::uint32_t returned)
{
    if (!ok || reply == nullptr || returned < kSmartStatusReplySize) {
        return ReturnStatus::NotAsked;
    }
    SENDCMDOUTPARAMS header;
    std::memcpy(&header, reply, kSmartStatusSize);
    IDEREGS registers;
    std::memcpy(&registers, reply + offsetof(SENDCMDOUTPARAMS, bBuffer), sizeof registers);
    if (header.DriverStatus.bDriverError != 0 || (registers.bCommandReg & kAtaStatusError) != 0) {
        return ReturnStatus::NotAsked;
    }
    return ReturnStatusOfRegisters(registers.bCylLowReg, registers.bCylHighReg);
}

ReturnStatus ReturnStatusOfAtaPassThrough(bool ok, const std::uint8_t* reply, std::uint32_t returned)
{
    if (!ok || reply == nullptr || returned < kAtaPassThroughSize) {
        return ReturnStatus::NotAsked;
    }
    const std::uint8_t* task = reply + offsetof(ATA_PASS_THROUGH_EX, CurrentTaskFile);
    if ((task[kTaskCommand] & (kAtaStatusBusy | kAtaStatusError)) != 0) {
        return ReturnStatus::NotAsked;
    }
    return ReturnStatusOfRegisters(task[kTaskLbaMid], task[kTaskLbaHigh]);
}

ReturnStatus ReturnStatusOfSatReply(bool done, bool registersKnown, const AtaRegisters& registers)
{
    return done && registersKnown ? ReturnStatusOfRegisters(registers.lbaMid, registers.lbaHigh)
                                  : ReturnStatus::NotAsked;
}

void AskReturnStatus(DriveRecord& record)
{
    if (record.kind != DriveKind::Ata || record.returnStatusRefused != 0 || record.attributeResult == nullptr) {
        return;
    }
    const bool secondWay = record.returnStatusByPassThrough != 0;
    const ReturnStatus answer = record.device.AskReturnStatus(secondWay);
    if (answer != ReturnStatus::NotAsked) {
        record.returnStatus = answer;
    } else if (!secondWay && record.device.HasAtaPassThrough()) {
        record.returnStatusByPassThrough = 1;  // one command a tick: the other way next time
    } else {
        record.returnStatusRefused = 1;
    }
}
