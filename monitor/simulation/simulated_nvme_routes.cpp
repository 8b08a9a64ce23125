// NVMe drives the inbox driver's storage queries do not reach: behind a USB bridge that
// passes NVMe admin commands only in its maker's SCSI form (JMicron, ASMedia, Realtek),
// and behind Intel RST's miniport pass-through. Each refuses every other form.
#include "simulated_disk.h"

#include "intel_rst_nvme.h"
#include "nvme_records.h"

#include <cstring>

namespace {

std::uint32_t Dword(const std::uint8_t* at)
{
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

void PutDword(std::uint8_t* at, std::uint32_t value)
{
    for (unsigned i = 0; i < 4; ++i) {
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

// Fixed-format sense: ILLEGAL REQUEST with the given additional sense code.
BYTE PutIllegalRequest(std::uint8_t* sense, std::uint8_t asc)
{
    const std::uint8_t fixed[18] = {0x70, 0, 0x05, 0, 0, 0, 0, 10, 0, 0, 0, 0, asc, 0x00, 0, 0, 0, 0};
    std::memcpy(sense, fixed, sizeof fixed);
    return sizeof fixed;
}

constexpr std::uint8_t kJmicronSignature[4] = {'N', 'V', 'M', 'E'};
constexpr int kRstPort = 1;

}  // namespace

bool BridgeInquiry(SimulatedNvmeVia via, std::string& vendor, std::string& product)
{
    switch (via) {
    case SimulatedNvmeVia::JMicron: vendor = "JMicron"; product = "JMS583 NVMe"; return true;
    case SimulatedNvmeVia::ASMedia: vendor = "ASMT"; product = "ASM2362 NVMe"; return true;
    case SimulatedNvmeVia::Realtek:
    case SimulatedNvmeVia::RealtekGarbling: vendor = "Realtek"; product = "RTL9210 NVME"; return true;
    default: return false;
    }
}

const std::uint8_t* SimulatedDiskBus::NvmePage(SimulatedDrive& drive, unsigned number, std::uint8_t opcode,
                                               std::uint32_t cdw10, std::uint32_t length)
{
    if (opcode == kNvmeAdminIdentify && cdw10 == kNvmeIdentifyCnsController && length == kNvmeIdentifySize) {
        return drive.fail.identify ? nullptr : drive.nvmeIdentify;
    }
    if (opcode != kNvmeAdminGetLogPage || (cdw10 & 0xFF) != kNvmeLogPageHealthInfo || length != kNvmeHealthSize) {
        return nullptr;
    }
    const std::uint32_t read = ++healthReads_[number];
    if (drive.fail.healthFrom != 0 && read >= drive.fail.healthFrom) {
        return nullptr;
    }
    if (drive.via == SimulatedNvmeVia::RealtekGarbling) {
        return drive.nvmeIdentify;  // a stale buffer: the identify page's first bytes
    }
    if (!drive.healthKelvins.empty()) {
        const std::uint16_t kelvin = drive.healthKelvins[(read - 1) % drive.healthKelvins.size()];
        drive.health[kHealthCompositeTempOffset] = static_cast<std::uint8_t>(kelvin);
        drive.health[kHealthCompositeTempOffset + 1] = static_cast<std::uint8_t>(kelvin >> 8);
    }
    return drive.health;
}

bool SimulatedDiskBus::AnswerNvmeBridge(SimulatedDrive& drive, unsigned number, const std::uint8_t* in, DWORD inSize,
                                        std::uint8_t* out, DWORD outSize, DWORD& returned)
{
    if (drive.fail.open || in == nullptr || out == nullptr || inSize < sizeof(SCSI_PASS_THROUGH) ||
        outSize < sizeof(SCSI_PASS_THROUGH)) {
        return false;
    }
    SCSI_PASS_THROUGH header;
    std::memcpy(&header, in, sizeof header);
    const std::size_t dataEnd = header.DataBufferOffset + header.DataTransferLength;
    if (header.Length != sizeof(SCSI_PASS_THROUGH) || header.DataBufferOffset < sizeof header || dataEnd > inSize ||
        dataEnd > outSize || header.SenseInfoOffset < sizeof header ||
        static_cast<std::size_t>(header.SenseInfoOffset) + 18 > outSize || header.SenseInfoLength < 18) {
        return false;
    }
    if (in != out) {
        std::memcpy(out, in, std::min<DWORD>(inSize, outSize));
    }
    const std::uint8_t* cdb = header.Cdb;
    std::uint8_t* data = out + header.DataBufferOffset;
    const std::uint32_t asked = header.DataTransferLength;
    const bool dataIn = header.DataIn == kScsiDataIn;
    header.ScsiStatus = kScsiStatusCheckCondition;
    header.DataTransferLength = 0;
    returned = static_cast<DWORD>(header.DataBufferOffset);
    std::uint8_t asc = 0x20;  // invalid command operation code
    const std::uint8_t* page = nullptr;
    std::uint32_t pageLength = 0;
    bool good = false;

    const bool realtek = drive.via == SimulatedNvmeVia::Realtek || drive.via == SimulatedNvmeVia::RealtekGarbling;
    if (drive.via == SimulatedNvmeVia::ASMedia && header.CdbLength == 16 && cdb[0] == 0xE6) {
        const std::uint32_t cdw10 = cdb[3] | static_cast<std::uint32_t>(cdb[7]) << 16;
        page = dataIn ? NvmePage(drive, number, cdb[1], cdw10, asked) : nullptr;
        pageLength = asked;
        asc = 0x24;
    } else if (realtek && header.CdbLength == 16 && cdb[0] == 0xE4) {
        const std::uint32_t length = cdb[1] | static_cast<std::uint32_t>(cdb[2]) << 8;
        const std::uint32_t cdw10 = cdb[4] | (cdb[3] == kNvmeAdminGetLogPage ? (length / 4 - 1) << 16 : 0);
        page = dataIn && length == asked ? NvmePage(drive, number, cdb[3], cdw10, length) : nullptr;
        pageLength = asked;
        asc = 0x24;
    } else if (drive.via == SimulatedNvmeVia::JMicron && header.CdbLength == 12 && cdb[0] == 0xA1 &&
               (cdb[1] & 0x80) != 0) {
        JmicronCommand& pending = jmicron_[number];
        const std::uint32_t length = static_cast<std::uint32_t>(cdb[3]) << 16 | cdb[4] << 8 | cdb[5];
        asc = 0x24;
        switch (cdb[1] & 0x7F) {
        case 0x0:  // the command payload, out
            if (header.DataIn == kScsiDataOut && length == 512 && asked == 512 &&
                std::memcmp(in + header.DataBufferOffset, kJmicronSignature, 4) == 0) {
                const std::uint8_t* payload = in + header.DataBufferOffset;
                pending = JmicronCommand{true, false, payload[8], Dword(payload + 48)};
                good = true;
            }
            break;
        case 0x2:  // the data, in
            if (pending.pending && dataIn && length == asked) {
                page = NvmePage(drive, number, pending.opcode, pending.cdw10, length);
                pageLength = length;
                pending.pending = false;
                pending.failed = page == nullptr;
                good = page != nullptr;
            }
            break;
        case 0xF:  // the completion, in
            if (dataIn && length == 512 && asked == 512) {
                std::memset(data, 0, 512);
                std::memcpy(data, kJmicronSignature, 4);
                PutDword(data + 20, pending.failed ? 0x0002u << 17 : 0);  // invalid field, or success
                header.DataTransferLength = 512;
                returned += 512;
                good = true;
            }
            break;
        default:
            break;
        }
        if (good && page == nullptr) {
            header.ScsiStatus = kScsiStatusGood;
            header.SenseInfoLength = 0;
            std::memcpy(out, &header, sizeof header);
            return true;
        }
    }
    if (page != nullptr) {
        std::memcpy(data, page, pageLength);
        header.DataTransferLength = pageLength;
        header.ScsiStatus = kScsiStatusGood;
        header.SenseInfoLength = 0;
        returned += pageLength;
    } else {
        header.SenseInfoLength = PutIllegalRequest(out + header.SenseInfoOffset, asc);
    }
    std::memcpy(out, &header, sizeof header);
    return true;
}

bool SimulatedDiskBus::AnswerScsiAddress(int drive, std::uint8_t* out, DWORD outSize, DWORD& returned)
{
    // Every disk of a storport driver names its port; RST's drives sit on port 1, their
    // path the drive number.
    if (drive < 0 || drive >= static_cast<int>(kSimulatedDriveSlots) || !set_.drives[drive].installed ||
        out == nullptr || outSize < kScsiAddressSize) {
        return false;
    }
    const bool rst = set_.drives[drive].nvme && set_.drives[drive].via == SimulatedNvmeVia::IntelRst;
    PutDword(out, kScsiAddressSize);
    out[4] = static_cast<std::uint8_t>(rst ? kRstPort : 0);
    out[5] = static_cast<std::uint8_t>(drive);
    out[6] = 0;
    out[7] = 0;
    returned = kScsiAddressSize;
    return true;
}

bool SimulatedDiskBus::AnswerRstMiniport(int drive, const std::uint8_t* in, DWORD inSize, std::uint8_t* out,
                                         DWORD outSize, DWORD& returned)
{
    // Only the controller's handle, and only Intel's signed record of the right size.
    if (drive != -3 /* the RST controller */ || in == nullptr || out == nullptr || inSize < kRstRequestSize || outSize < kRstRequestSize ||
        Dword(in) != kRstHeaderSize || std::memcmp(in + 4, kIntelNvmSignature, 8) != 0 ||
        Dword(in + 16) != kIntelNvmePassThroughCode || Dword(in + 24) != kRstRequestSize - kRstHeaderSize ||
        in[0x1C] != 1) {
        return false;
    }
    const unsigned path = in[0x1D];
    if (path >= kSimulatedDriveSlots || !set_.drives[path].installed || !set_.drives[path].nvme ||
        set_.drives[path].via != SimulatedNvmeVia::IntelRst) {
        return false;
    }
    if (in != out) {
        std::memcpy(out, in, kRstRequestSize);
    }
    const std::uint8_t* command = in + kRstCommandOffset;
    const std::uint32_t length = command[0] == kNvmeAdminIdentify ? kNvmeIdentifySize : kNvmeHealthSize;
    const std::uint8_t* page = NvmePage(set_.drives[path], path, command[0], Dword(command + 40), length);
    std::memset(out + kRstCompletionOffset, 0, 16);
    if (page == nullptr) {
        PutDword(out + kRstCompletionOffset + 12, 0x0002u << 17);  // invalid field in command
    } else {
        std::memcpy(out + kRstDataOffset, page, length);
    }
    returned = kRstRequestSize;
    return true;
}
