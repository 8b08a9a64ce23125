// NVMe SSDs in USB enclosures: the vendor SCSI commands through which the JMicron,
// ASMedia and Realtek bridges pass an NVMe admin command on, as bytes only (the Windows
// record around them is in nvme_device.cpp). Only identify controller and the SMART /
// health log are ever built: no form here can carry a command that writes.
#pragma once

#include "drive_port.h"

#include <cstddef>
#include <cstdint>

// How an NVMe drive is reached: the inbox driver's storage queries, one of the bridges'
// pass-through forms, or Intel RST's miniport pass-through.
enum class NvmeRoute : std::uint8_t { StorageQuery = 0, JMicron, ASMedia, Realtek, IntelRst };
constexpr unsigned kBridgeFamilyCount = 3;
constexpr NvmeRoute kBridgeFamilies[kBridgeFamilyCount] = {NvmeRoute::JMicron, NvmeRoute::ASMedia,
                                                           NvmeRoute::Realtek};

// "JMicron USB bridge", "Intel RST", ... for the viewer and the about list.
const char* NvmeRouteName(NvmeRoute route);
// The short form for the transfer-mode column: "NVMe", "USB NVMe (JMicron)", "RST NVMe".
const char* NvmeRouteMode(NvmeRoute route);

// Whether the device descriptor's vendor and product name the bridge's maker or chip
// (case-insensitive), the only sign KELVIX takes before sending a maker's own command.
bool BridgeMayApply(NvmeRoute family, const char* vendor, const char* product);

enum class BridgeDirection : std::uint8_t { None, In, Out };

struct BridgeStep {
    std::uint8_t cdb[16] = {};
    std::uint8_t cdbLength = 0;
    BridgeDirection direction = BridgeDirection::None;
    std::uint32_t length = 0;  // data bytes of the step
};

// The data a command brings back: 4096 for identify controller, 512 for the health log.
// False (and nothing built) for any other command.
bool BridgeCommandAllowed(const NvmeAdminCommand& command, std::uint32_t dataLength);
// The two commands the routes carry, as BridgeCommandAllowed takes them.
NvmeAdminCommand IdentifyControllerCommand();
NvmeAdminCommand HealthLogCommand();

// ASMedia ASM2362/ASM2364 and Realtek RTL9210/RTL9220: one 16-byte command block, data in.
bool BuildAsmediaStep(const NvmeAdminCommand& command, std::uint32_t dataLength, BridgeStep& step);
bool BuildRealtekStep(const NvmeAdminCommand& command, std::uint32_t dataLength, BridgeStep& step);

// JMicron JMS583/JMS586: three 12-byte blocks - the 512-byte command payload out, the
// data in, then the 512-byte completion in.
constexpr std::uint32_t kJmicronPayloadSize = 512;
constexpr unsigned kJmicronStepCount = 3;
bool BuildJmicronSteps(const NvmeAdminCommand& command, std::uint32_t dataLength,
                       BridgeStep (&steps)[kJmicronStepCount], std::uint8_t (&payload)[kJmicronPayloadSize]);
// The completion: the 'NVME' signature and a zero status field.
bool JmicronCompletionOk(const std::uint8_t* reply, std::size_t length);
// Whether `step` is the JMicron completion step, whose reply JmicronCompletionOk judges.
bool IsJmicronCompletionStep(const BridgeStep& step);

// Whether `step` is one the builders above make for one of the two commands (with `out`,
// the bytes a JMicron command step sends, equal to the payload built for it), and for
// which family. A layer that passes steps on from elsewhere lets nothing else go out.
bool IsBuiltBridgeStep(const BridgeStep& step, const std::uint8_t* out, NvmeRoute& family);
