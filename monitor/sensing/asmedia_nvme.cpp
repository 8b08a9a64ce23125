// ASMedia ASM2362/ASM2364: vendor operation code E6h; the NVMe opcode in byte 1, CDW10's
// low byte in byte 3 and its upper word's low byte (the log length in dwords - 1) in
// byte 7 (as smartmontools' scsinvme.cpp sends it). The bridge times out on logs longer
// than 512 bytes; the health log is 512.
#include "usb_nvme_bridge.h"

bool BuildAsmediaStep(const NvmeAdminCommand& command, std::uint32_t dataLength, BridgeStep& step)
{
    if (!BridgeCommandAllowed(command, dataLength)) {
        return false;
    }
    step = BridgeStep{};
    step.cdb[0] = 0xE6;
    step.cdb[1] = command.opcode;
    step.cdb[3] = static_cast<std::uint8_t>(command.cdw10);
    step.cdb[7] = static_cast<std::uint8_t>(command.cdw10 >> 16);
    step.cdbLength = 16;
    step.direction = BridgeDirection::In;
    step.length = dataLength;
    return true;
}
