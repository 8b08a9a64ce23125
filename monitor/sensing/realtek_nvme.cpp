// Realtek RTL9210/RTL9220: vendor operation code E4h; the data length little-endian in
// bytes 1-2, the NVMe opcode in byte 3 and CDW10's low byte in byte 4 (as smartmontools'
// scsinvme.cpp sends it). Longer logs than 512 bytes come back stale; the health log is 512.
#include "usb_nvme_bridge.h"

bool BuildRealtekStep(const NvmeAdminCommand& command, std::uint32_t dataLength, BridgeStep& step)
{
    if (!BridgeCommandAllowed(command, dataLength)) {
        return false;
    }
    step = BridgeStep{};
    step.cdb[0] = 0xE4;
    step.cdb[1] = static_cast<std::uint8_t>(dataLength);
    step.cdb[2] = static_cast<std::uint8_t>(dataLength >> 8);
    step.cdb[3] = command.opcode;
    step.cdb[4] = static_cast<std::uint8_t>(command.cdw10);
    step.cdbLength = 16;
    step.direction = BridgeDirection::In;
    step.length = dataLength;
    return true;
}
