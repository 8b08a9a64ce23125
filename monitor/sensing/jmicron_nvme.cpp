// JMicron JMS583/JMS586: the 12-byte ATA PASS-THROUGH operation code (A1h) with the admin
// bit (80h) and a protocol of its own in byte 1 and a big-endian 24-bit length in bytes
// 3-5 (as smartmontools' scsinvme.cpp sends it). First the 512-byte NVMe command payload
// goes out (protocol 0: signature 'NVME', opcode, namespace, CDW10-15 as dwords 0, 2, 3
// and 12-17), then the data comes in (protocol 2, DMA in), then the completion (protocol
// Fh) with the signature again and the status field in dword 5, bits 31-17. The payload
// only names the command; nothing is written to the drive.
#include "usb_nvme_bridge.h"

#include <cstring>

namespace {

constexpr std::uint8_t kAdmin = 0x80;
constexpr std::uint8_t kProtocolCommand = 0x0;
constexpr std::uint8_t kProtocolDmaIn = 0x2;
constexpr std::uint8_t kProtocolCompletion = 0xF;
constexpr std::uint8_t kSignature[4] = {'N', 'V', 'M', 'E'};

void PutDword(std::uint8_t* at, std::uint32_t value)
{
    for (unsigned i = 0; i < 4; ++i) {
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

void Block(BridgeStep& step, std::uint8_t protocol, BridgeDirection direction, std::uint32_t length)
{
    step = BridgeStep{};
    step.cdb[0] = 0xA1;
    step.cdb[1] = static_cast<std::uint8_t>(kAdmin | protocol);
    step.cdb[3] = static_cast<std::uint8_t>(length >> 16);
    step.cdb[4] = static_cast<std::uint8_t>(length >> 8);
    step.cdb[5] = static_cast<std::uint8_t>(length);
    step.cdbLength = 12;
    step.direction = direction;
    step.length = length;
}

}  // namespace

bool BuildJmicronSteps(const NvmeAdminCommand& command, std::uint32_t dataLength,
                       BridgeStep (&steps)[kJmicronStepCount], std::uint8_t (&payload)[kJmicronPayloadSize])
{
    if (!BridgeCommandAllowed(command, dataLength)) {
        return false;
    }
    std::memset(payload, 0, sizeof payload);
    std::memcpy(payload, kSignature, sizeof kSignature);
    PutDword(payload + 8, command.opcode);
    PutDword(payload + 12, command.namespaceId);
    PutDword(payload + 48, command.cdw10);
    PutDword(payload + 52, command.cdw11);
    Block(steps[0], kProtocolCommand, BridgeDirection::Out, kJmicronPayloadSize);
    Block(steps[1], kProtocolDmaIn, BridgeDirection::In, dataLength);
    Block(steps[2], kProtocolCompletion, BridgeDirection::In, kJmicronPayloadSize);
    return true;
}

bool JmicronCompletionOk(const std::uint8_t* reply, std::size_t length)
{
    if (reply == nullptr || length < 24 || std::memcmp(reply, kSignature, sizeof kSignature) != 0) {
        return false;
    }
    const std::uint32_t dword5 = static_cast<std::uint32_t>(reply[20]) | static_cast<std::uint32_t>(reply[21]) << 8 |
                                 static_cast<std::uint32_t>(reply[22]) << 16 |
                                 static_cast<std::uint32_t>(reply[23]) << 24;
    return (dword5 >> 17) == 0;
}
