#include "intel_rst_nvme.h"

#include "usb_nvme_bridge.h"

#include <cstring>

namespace {

void PutDword(std::uint8_t* at, std::uint32_t value)
{
    for (unsigned i = 0; i < 4; ++i) {
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

std::uint32_t GetDword(const std::uint8_t* at)
{
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

}  // namespace

bool ParseScsiAddress(const std::uint8_t* reply, std::uint32_t returned, ScsiAddress& address)
{
    if (reply == nullptr || returned < kScsiAddressSize || GetDword(reply) < kScsiAddressSize) {
        return false;
    }
    address.port = reply[4];
    address.path = reply[5];
    address.target = reply[6];
    address.lun = reply[7];
    return true;
}

bool BuildRstRequest(const NvmeAdminCommand& command, std::uint32_t dataLength, const ScsiAddress& address,
                     std::uint8_t (&request)[kRstRequestSize])
{
    if (!BridgeCommandAllowed(command, dataLength)) {
        return false;
    }
    std::memset(request, 0, sizeof request);
    PutDword(request, kRstHeaderSize);  // HeaderLength
    std::memcpy(request + 4, kIntelNvmSignature, sizeof kIntelNvmSignature);
    PutDword(request + 12, 10);  // Timeout, seconds
    PutDword(request + 16, kIntelNvmePassThroughCode);
    PutDword(request + 24, static_cast<std::uint32_t>(kRstRequestSize - kRstHeaderSize));  // Length
    request[0x1C] = 1;  // Version
    request[0x1D] = address.path;
    request[0x1E] = address.target;
    request[0x1F] = address.lun;
    std::uint8_t* nvme = request + kRstCommandOffset;
    nvme[0] = command.opcode;  // CDW0: opcode, no fused operation, command id 0
    PutDword(nvme + 4, command.namespaceId);
    PutDword(nvme + 40, command.cdw10);
    PutDword(nvme + 44, command.cdw11);
    PutDword(request + 0x74, static_cast<std::uint32_t>(kRstDataOffset));  // ParamBufLen
    PutDword(request + 0x78, static_cast<std::uint32_t>(kRstDataSize));    // ReturnBufferLen
    return true;
}

bool RstReplyOk(const std::uint8_t* reply, std::uint32_t returned, std::uint32_t dataLength)
{
    if (reply == nullptr || dataLength > kRstDataSize || returned < kRstDataOffset + dataLength) {
        return false;
    }
    if (std::memcmp(reply + 4, kIntelNvmSignature, sizeof kIntelNvmSignature) != 0 || GetDword(reply + 20) != 0) {
        return false;
    }
    // Completion dword 3: the status field in bits 31-17.
    return (GetDword(reply + kRstCompletionOffset + 12) >> 17) == 0;
}
