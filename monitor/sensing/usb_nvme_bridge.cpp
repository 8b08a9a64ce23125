#include "usb_nvme_bridge.h"

#include "nvme_records.h"

#include <cctype>
#include <cstring>

namespace {

bool ContainsNoCase(const char* text, const char* word)
{
    if (text == nullptr) {
        return false;
    }
    const std::size_t length = std::strlen(word);
    for (const char* at = text; *at != '\0'; ++at) {
        std::size_t i = 0;
        while (i < length && at[i] != '\0' &&
               std::tolower(static_cast<unsigned char>(at[i])) == std::tolower(static_cast<unsigned char>(word[i]))) {
            ++i;
        }
        if (i == length) {
            return true;
        }
    }
    return false;
}

}  // namespace

const char* NvmeRouteName(NvmeRoute route)
{
    switch (route) {
    case NvmeRoute::JMicron: return "JMicron USB bridge";
    case NvmeRoute::ASMedia: return "ASMedia USB bridge";
    case NvmeRoute::Realtek: return "Realtek USB bridge";
    case NvmeRoute::IntelRst: return "Intel RST pass-through";
    case NvmeRoute::StorageQuery: break;
    }
    return "storage query";
}

const char* NvmeRouteMode(NvmeRoute route)
{
    switch (route) {
    case NvmeRoute::JMicron: return "USB NVMe (JMicron)";
    case NvmeRoute::ASMedia: return "USB NVMe (ASMedia)";
    case NvmeRoute::Realtek: return "USB NVMe (Realtek)";
    case NvmeRoute::IntelRst: return "RST NVMe";
    case NvmeRoute::StorageQuery: break;
    }
    return "NVMe";
}

bool BridgeMayApply(NvmeRoute family, const char* vendor, const char* product)
{
    // The makers' names and chip numbers the bridges put in their SCSI inquiry data.
    static const char* const kJmicron[] = {"JMicron", "JMS58"};
    static const char* const kAsmedia[] = {"ASMedia", "ASMT", "ASM236"};
    static const char* const kRealtek[] = {"Realtek", "RTL921", "RTL922"};
    const char* const* words = nullptr;
    std::size_t count = 0;
    switch (family) {
    case NvmeRoute::JMicron: words = kJmicron; count = 2; break;
    case NvmeRoute::ASMedia: words = kAsmedia; count = 3; break;
    case NvmeRoute::Realtek: words = kRealtek; count = 3; break;
    default: return false;
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (ContainsNoCase(vendor, words[i]) || ContainsNoCase(product, words[i])) {
            return true;
        }
    }
    return false;
}

NvmeAdminCommand IdentifyControllerCommand()
{
    NvmeAdminCommand command;
    command.opcode = kNvmeAdminIdentify;
    command.cdw10 = kNvmeIdentifyCnsController;
    return command;
}

NvmeAdminCommand HealthLogCommand()
{
    NvmeAdminCommand command;
    command.opcode = kNvmeAdminGetLogPage;
    command.namespaceId = kNvmeAllNamespaces;
    command.cdw10 = kNvmeLogPageHealthInfo | (kNvmeHealthSize / 4 - 1) << 16;
    return command;
}

bool BridgeCommandAllowed(const NvmeAdminCommand& command, std::uint32_t dataLength)
{
    if (command.opcode == kNvmeAdminIdentify) {
        return command.cdw10 == kNvmeIdentifyCnsController && dataLength == kNvmeIdentifySize;
    }
    if (command.opcode == kNvmeAdminGetLogPage) {
        return command.cdw10 == (kNvmeLogPageHealthInfo | (kNvmeHealthSize / 4 - 1) << 16) &&
               dataLength == kNvmeHealthSize;
    }
    return false;
}

namespace {

bool SameStep(const BridgeStep& a, const BridgeStep& b)
{
    return a.cdbLength == b.cdbLength && a.direction == b.direction && a.length == b.length &&
           std::memcmp(a.cdb, b.cdb, sizeof a.cdb) == 0;
}

}  // namespace

bool IsBuiltBridgeStep(const BridgeStep& step, const std::uint8_t* out, NvmeRoute& family)
{
    struct Known {
        NvmeAdminCommand command;
        std::uint32_t length;
    };
    const Known known[] = {{IdentifyControllerCommand(), kNvmeIdentifySize}, {HealthLogCommand(), kNvmeHealthSize}};
    for (const Known& k : known) {
        BridgeStep built;
        if (BuildAsmediaStep(k.command, k.length, built) && SameStep(step, built)) {
            family = NvmeRoute::ASMedia;
            return true;
        }
        if (BuildRealtekStep(k.command, k.length, built) && SameStep(step, built)) {
            family = NvmeRoute::Realtek;
            return true;
        }
        BridgeStep steps[kJmicronStepCount];
        std::uint8_t payload[kJmicronPayloadSize];
        if (!BuildJmicronSteps(k.command, k.length, steps, payload)) {
            continue;
        }
        // The command step carries the payload out: it must be the one built, byte for byte.
        const bool command = SameStep(step, steps[0]) && out != nullptr &&
                             std::memcmp(out, payload, kJmicronPayloadSize) == 0;
        if (command || SameStep(step, steps[1]) || SameStep(step, steps[2])) {
            family = NvmeRoute::JMicron;
            return true;
        }
    }
    return false;
}

bool IsJmicronCompletionStep(const BridgeStep& step)
{
    BridgeStep steps[kJmicronStepCount];
    std::uint8_t payload[kJmicronPayloadSize];
    return BuildJmicronSteps(HealthLogCommand(), kNvmeHealthSize, steps, payload) && SameStep(step, steps[2]);
}
