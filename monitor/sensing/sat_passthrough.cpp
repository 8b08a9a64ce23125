#include "sat_passthrough.h"

#include <cstring>

namespace {

// PROTOCOL field values (byte 1, bits 4-1).
constexpr std::uint8_t kProtocolNonData = 3;
constexpr std::uint8_t kProtocolPioDataIn = 4;
constexpr std::uint8_t kExtend = 0x01;  // byte 1 bit 0 of the 16-byte form: a 48-bit command

// Byte 2 of both forms.
constexpr std::uint8_t kCheckCondition = 0x20;   // CK_COND
constexpr std::uint8_t kFromDevice = 0x08;       // T_DIR
constexpr std::uint8_t kInBlocks = 0x04;         // BYT_BLOK: the length counts 512-byte blocks
constexpr std::uint8_t kLengthInCount = 0x02;    // T_LENGTH: the length is the sector count

constexpr std::uint8_t kAtaStatusReturnDescriptor = 0x09;
constexpr std::uint8_t kAtaStatusReturnLength = 0x0C;  // additional length of that descriptor

std::uint8_t ProtocolByte(const SatRequest& request)
{
    const std::uint8_t protocol =
        request.transfer == SatTransfer::SectorsIn ? kProtocolPioDataIn : kProtocolNonData;
    return static_cast<std::uint8_t>(protocol << 1);
}

std::uint8_t TransferByte(const SatRequest& request)
{
    std::uint8_t flags = request.returnRegisters ? kCheckCondition : 0;
    if (request.transfer == SatTransfer::SectorsIn) {
        flags |= kFromDevice | kInBlocks | kLengthInCount;
    }
    return flags;
}

void DecodeDescriptorFormat(const std::uint8_t* sense, std::size_t length, SatSense& out)
{
    out.descriptorFormat = true;
    out.senseKey = sense[1] & 0x0F;
    out.asc = sense[2];
    out.ascq = sense[3];
    out.kind = SatSenseKind::NoAtaStatus;
    if (length < 8) {
        return;
    }
    // The descriptors end where the additional length says or where the data end.
    std::size_t end = 8 + static_cast<std::size_t>(sense[7]);
    if (end > length) {
        end = length;
    }
    std::size_t at = 8;
    while (at + 2 <= end) {
        const std::uint8_t* descriptor = sense + at;
        const std::size_t size = 2 + static_cast<std::size_t>(descriptor[1]);
        if (at + size > end) {
            return;
        }
        if (descriptor[0] == kAtaStatusReturnDescriptor && descriptor[1] >= kAtaStatusReturnLength) {
            AtaRegisters& r = out.registers;
            r.extend = (descriptor[2] & 0x01) != 0;
            r.error = descriptor[3];
            r.sectorCountHigh = descriptor[4];
            r.sectorCount = descriptor[5];
            r.lbaLowHigh = descriptor[6];
            r.lbaLow = descriptor[7];
            r.lbaMidHigh = descriptor[8];
            r.lbaMid = descriptor[9];
            r.lbaHighHigh = descriptor[10];
            r.lbaHigh = descriptor[11];
            r.device = descriptor[12];
            r.status = descriptor[13];
            out.kind = SatSenseKind::AtaStatus;
            return;
        }
        at += size;
    }
}

void DecodeFixedFormat(const std::uint8_t* sense, std::size_t length, SatSense& out)
{
    out.descriptorFormat = false;
    if (length < 3) {
        out.kind = SatSenseKind::Unusable;
        return;
    }
    out.senseKey = sense[2] & 0x0F;
    out.asc = length > 12 ? sense[12] : 0;
    out.ascq = length > 13 ? sense[13] : 0;
    out.kind = SatSenseKind::NoAtaStatus;
    // The registers fill bytes 3 to 11, and are there only where the bridge says so
    // (00h/1Dh). An abort with any other additional sense carries none.
    const bool registersSaid = length > 13 && out.asc == 0 && out.ascq == kAscqAtaInformationAvailable;
    if (!registersSaid) {
        return;
    }
    // A failed command leaves ERR or DF in its status: an abort with a zero status is a
    // bridge that filled no registers.
    if (out.senseKey == kSenseKeyAbortedCommand && sense[4] == 0) {
        return;
    }
    AtaRegisters& r = out.registers;
    r.error = sense[3];
    r.status = sense[4];
    r.device = sense[5];
    r.sectorCount = sense[6];
    r.extend = (sense[8] & 0x80) != 0;
    r.lbaLow = sense[9];
    r.lbaMid = sense[10];
    r.lbaHigh = sense[11];
    out.kind = SatSenseKind::AtaStatus;
}

}  // namespace

std::size_t BuildSatCdb(SatForm form, const SatRequest& request, std::uint8_t (&cdb)[kSatCdbMax])
{
    std::memset(cdb, 0, sizeof cdb);
    const AtaTaskfile& task = request.task;
    if (form == SatForm::Twelve) {
        cdb[0] = kSatOpcode12;
        cdb[1] = ProtocolByte(request);
        cdb[2] = TransferByte(request);
        cdb[3] = task.features;
        cdb[4] = task.sectorCount;
        cdb[5] = task.lbaLow;
        cdb[6] = task.lbaMid;
        cdb[7] = task.lbaHigh;
        cdb[8] = task.device;
        cdb[9] = task.command;
        return 12;
    }
    // The 16-byte form holds each register as a high and a low byte; a 28-bit command
    // (EXTEND 0) leaves the high bytes 0.
    cdb[0] = kSatOpcode16;
    cdb[1] = static_cast<std::uint8_t>(ProtocolByte(request) | (task.extend ? kExtend : 0));
    cdb[2] = TransferByte(request);
    cdb[4] = task.features;
    cdb[6] = task.sectorCount;
    cdb[8] = task.lbaLow;
    cdb[10] = task.lbaMid;
    cdb[12] = task.lbaHigh;
    if (task.extend) {
        cdb[5] = task.sectorCountHigh;
        cdb[7] = task.lbaLowHigh;
        cdb[9] = task.lbaMidHigh;
        cdb[11] = task.lbaHighHigh;
    }
    cdb[13] = task.device;
    cdb[14] = task.command;
    return 16;
}

SatSense DecodeSatSense(const std::uint8_t* sense, std::size_t length)
{
    SatSense out;
    if (sense == nullptr || length < 2) {
        return out;
    }
    switch (sense[0] & 0x7F) {
    case 0x72:
    case 0x73:
        if (length >= 4) {
            DecodeDescriptorFormat(sense, length, out);
        }
        break;
    case 0x70:
    case 0x71:
        DecodeFixedFormat(sense, length, out);
        break;
    default:
        break;
    }
    return out;
}

bool SatCommandRejected(const SatSense& sense)
{
    // 20h/00h invalid command operation code, 24h/00h invalid field in CDB.
    return sense.kind != SatSenseKind::Unusable && sense.senseKey == kSenseKeyIllegalRequest &&
           (sense.asc == 0x20 || sense.asc == 0x24);
}

bool AtaCommandSucceeded(const AtaRegisters& registers)
{
    return (registers.status & (kAtaStatusError | kAtaStatusDeviceFault | kAtaStatusBusy)) == 0;
}
