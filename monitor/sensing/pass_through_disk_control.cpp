#include "pass_through_disk_control.h"

#include "ata_records.h"
#include "disk_length_records.h"
#include "nvme_device.h"
#include "nvme_pages.h"
#include "nvme_records.h"
#include "return_status.h"
#include "scsi_records.h"
#include "smart_records.h"
#include "usb_nvme_bridge.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

constexpr char kDrivePrefix[] = "\\\\.\\PHYSICALDRIVE";
constexpr BYTE kCapAtaIdentify = 0x01;   // CAP_ATA_ID_CMD
constexpr BYTE kCapSmartCommands = 0x04; // CAP_SMART_CMD
constexpr BYTE kDeviceSelectBit = 0x10;  // slave select; a SATA port has one device
constexpr DWORD kMaxAtaDataIn = 8 * kSmartSectorSize;  // more than the core ever reads at once

void PutDword(std::uint8_t* at, std::uint32_t value)
{
    for (unsigned i = 0; i < 4; ++i) {
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

AtaTaskfile TaskfileOf(const std::uint8_t* request)
{
    IDEREGS regs;
    std::memcpy(&regs, request + offsetof(SENDCMDINPARAMS, irDriveRegs), sizeof regs);
    AtaTaskfile taskfile;
    taskfile.features = regs.bFeaturesReg;
    taskfile.sectorCount = regs.bSectorCountReg;
    taskfile.lbaLow = regs.bSectorNumberReg;
    taskfile.lbaMid = regs.bCylLowReg;
    taskfile.lbaHigh = regs.bCylHighReg;
    taskfile.device = static_cast<std::uint8_t>(regs.bDriveHeadReg & ~kDeviceSelectBit);
    taskfile.command = regs.bCommandReg;
    return taskfile;
}

}  // namespace

int PhysicalDriveNumber(const char* name)
{
    const std::size_t prefix = sizeof kDrivePrefix - 1;
    if (name == nullptr || std::strlen(name) <= prefix) {
        return -1;
    }
    for (std::size_t i = 0; i < prefix; ++i) {
        const char c = name[i] >= 'a' && name[i] <= 'z' ? static_cast<char>(name[i] - 'a' + 'A') : name[i];
        if (c != kDrivePrefix[i]) {
            return -1;
        }
    }
    int number = 0;
    for (const char* digit = name + prefix; *digit != '\0'; ++digit) {
        if (*digit < '0' || *digit > '9' || digit - (name + prefix) >= 2) {
            return -1;
        }
        number = number * 10 + (*digit - '0');
    }
    return number < static_cast<int>(kMaxDrives) ? number : -1;
}

PassThroughDiskControl::~PassThroughDiskControl()
{
    for (Slot& slot : slots_) {
        if (slot.descriptor >= 0) {
            port_.Close(slot.descriptor);
            slot.descriptor = -1;
        }
    }
}

HANDLE PassThroughDiskControl::Open(const char* name, DWORD, DWORD, DWORD)
{
    const int number = PhysicalDriveNumber(name);
    if (number < 0 || slots_[number].descriptor >= 0) {
        return INVALID_HANDLE_VALUE;
    }
    Slot& slot = slots_[number];
    slot.number = static_cast<unsigned>(number);
    slot.descriptor = port_.Open(static_cast<unsigned>(number), slot.protocol);
    return slot.descriptor >= 0 ? static_cast<HANDLE>(&slot) : INVALID_HANDLE_VALUE;
}

void PassThroughDiskControl::Close(HANDLE handle)
{
    Slot* slot = SlotOf(handle);
    if (slot != nullptr) {
        port_.Close(slot->descriptor);
        slot->descriptor = -1;
    }
}

PassThroughDiskControl::Slot* PassThroughDiskControl::SlotOf(HANDLE handle)
{
    // A handle is the address of its slot; anything else is no handle of ours.
    const auto address = reinterpret_cast<std::uintptr_t>(handle);
    const auto first = reinterpret_cast<std::uintptr_t>(&slots_[0]);
    if (address < first || (address - first) % sizeof(Slot) != 0 || (address - first) / sizeof(Slot) >= kMaxDrives) {
        return nullptr;
    }
    Slot& slot = slots_[(address - first) / sizeof(Slot)];
    return slot.descriptor >= 0 ? &slot : nullptr;
}

bool PassThroughDiskControl::Request(HANDLE handle, DWORD code, const void* in, DWORD inSize, void* out,
                                     DWORD outSize, DWORD* bytesReturned)
{
    std::uint32_t returned = 0;
    const Slot* slot = SlotOf(handle);
    auto* reply = static_cast<std::uint8_t*>(out);
    const auto* request = static_cast<const std::uint8_t*>(in);
    if (slot != nullptr && reply != nullptr) {
        switch (code) {
        case kSmartGetVersion:
        case kSmartSendDriveCommand:
        case kSmartRcvDriveData:
            if (slot->protocol == DriveProtocol::Ata) {
                returned = AtaRequest(*slot, code, request, inSize, reply, outSize);
            }
            break;
        case kIoctlAtaPassThrough:
            if (slot->protocol == DriveProtocol::Ata) {
                returned = AtaPassThroughRequest(*slot, request, inSize, reply, outSize);
            }
            break;
        case kIoctlScsiPassThrough:
            if (slot->protocol == DriveProtocol::Ata) {
                returned = BridgeRequest(*slot, request, inSize, reply, outSize);
            }
            break;
        case kIoctlStorageQueryProperty:
            returned = PropertyRequest(*slot, request, inSize, reply, outSize);
            break;
        case kIoctlStorageProtocolCommand:
            if (slot->protocol == DriveProtocol::Nvme) {
                returned = ProtocolCommandRequest(*slot, request, inSize, reply, outSize);
            }
            break;
        case kIoctlDiskGetLengthInfo: {
            std::uint64_t length = 0;
            if (outSize >= kDiskLengthReplySize && port_.Length(slot->descriptor, length)) {
                PutDword(reply, static_cast<std::uint32_t>(length));
                PutDword(reply + 4, static_cast<std::uint32_t>(length >> 32));
                returned = kDiskLengthReplySize;
            }
            break;
        }
        default:
            break;
        }
    }
    if (bytesReturned != nullptr) {
        *bytesReturned = returned;
    }
    return returned != 0;
}

std::uint32_t PassThroughDiskControl::AtaRequest(const Slot& slot, DWORD code, const std::uint8_t* in, DWORD inSize,
                                                 std::uint8_t* out, DWORD outSize)
{
    if (code == kSmartGetVersion) {
        if (outSize < kVersionRecordSize) {
            return 0;
        }
        GETVERSIONINPARAMS version{};
        version.bVersion = 1;
        version.bRevision = 1;
        version.bIDEDeviceMap = 0x01;  // an ATA device, never an ATAPI one
        version.fCapabilities = kCapAtaIdentify | kCapSmartCommands;
        std::memcpy(out, &version, sizeof version);
        return kVersionRecordSize;
    }
    if (in == nullptr || inSize < kSmartRequestSize || outSize < kSmartStatusSize) {
        return 0;
    }
    const AtaTaskfile registers = TaskfileOf(in);
    std::memset(out, 0, kSmartStatusSize);
    if (code == kSmartSendDriveCommand && registers.features == kSmartReturnStatus) {
        // The driver hands the drive's registers back after the header.
        AtaRegisters left;
        if (outSize < kSmartStatusReplySize || !port_.Ata(slot.descriptor, registers, nullptr, 0, &left)) {
            return 0;
        }
        const IDEREGS answer{left.error, left.sectorCount, left.lbaLow, left.lbaMid, left.lbaHigh, left.device,
                             left.status, 0};
        std::memcpy(out + offsetof(SENDCMDOUTPARAMS, bBuffer), &answer, sizeof answer);
        return kSmartStatusReplySize;
    }
    if (code == kSmartSendDriveCommand) {
        return port_.Ata(slot.descriptor, registers, nullptr, 0, nullptr) ? kSmartStatusSize : 0;
    }
    if (outSize < kSmartReplySize) {
        return 0;
    }
    // The port fills the whole sector (SmartDevice cleared the reply before asking).
    std::uint8_t* data = out + kSmartStatusSize;
    if (!port_.Ata(slot.descriptor, registers, data, kSmartSectorSize, nullptr)) {
        return 0;
    }
    PutDword(out + offsetof(SENDCMDOUTPARAMS, cBufferSize), kSmartSectorSize);
    return kSmartReplySize;
}

std::uint32_t PassThroughDiskControl::AtaPassThroughRequest(const Slot& slot, const std::uint8_t* in, DWORD inSize,
                                                            std::uint8_t* out, DWORD outSize)
{
    // A command without data (CHECK POWER MODE) answers with the registers the drive left
    // in the current task file; a data-in one (READ LOG EXT) with the record and its
    // sectors at DataBufferOffset, which must lie inside both buffers.
    ATA_PASS_THROUGH_EX record;
    if (in == nullptr || inSize < sizeof record || outSize < sizeof record) {
        return 0;
    }
    std::memcpy(&record, in, sizeof record);
    const bool dataIn = (record.AtaFlags & kAtaFlagDataIn) != 0;
    const bool extend = (record.AtaFlags & kAtaFlag48Bit) != 0;
    const BYTE* task = record.CurrentTaskFile;
    const BYTE* previous = record.PreviousTaskFile;
    const unsigned sectors = task[kTaskSectorCount] | (extend ? previous[kTaskSectorCount] << 8 : 0);
    const DWORD size = inSize < outSize ? inSize : outSize;
    if (!dataIn ? record.DataTransferLength != 0
                : record.DataTransferLength == 0 || record.DataTransferLength != sectors * kSmartSectorSize ||
                      record.DataTransferLength > kMaxAtaDataIn || record.DataBufferOffset < sizeof record ||
                      record.DataBufferOffset > size || record.DataTransferLength > size - record.DataBufferOffset) {
        return 0;
    }
    AtaTaskfile registers;
    registers.features = task[kTaskFeatures];
    registers.sectorCount = task[kTaskSectorCount];
    registers.lbaLow = task[kTaskLbaLow];
    registers.lbaMid = task[kTaskLbaMid];
    registers.lbaHigh = task[kTaskLbaHigh];
    registers.device = static_cast<std::uint8_t>(task[kTaskDevice] & ~kDeviceSelectBit);
    registers.command = task[kTaskCommand];
    registers.extend = extend;
    if (extend) {
        registers.sectorCountHigh = previous[kTaskSectorCount];
        registers.lbaLowHigh = previous[kTaskLbaLow];
        registers.lbaMidHigh = previous[kTaskLbaMid];
        registers.lbaHighHigh = previous[kTaskLbaHigh];
    }
    if (dataIn) {
        std::uint8_t* data = out + record.DataBufferOffset;
        if (!port_.Ata(slot.descriptor, registers, data, record.DataTransferLength, nullptr)) {
            return 0;
        }
        record.CurrentTaskFile[kTaskCommand] = 0x50;  // ready, seek complete: the port said it went well
        std::memcpy(out, &record, sizeof record);
        return static_cast<std::uint32_t>(record.DataBufferOffset + record.DataTransferLength);
    }
    AtaRegisters left;
    if (!port_.Ata(slot.descriptor, registers, nullptr, 0, &left)) {
        return 0;
    }
    BYTE* answer = record.CurrentTaskFile;
    answer[kTaskFeatures] = left.error;
    answer[kTaskSectorCount] = left.sectorCount;
    answer[kTaskLbaLow] = left.lbaLow;
    answer[kTaskLbaMid] = left.lbaMid;
    answer[kTaskLbaHigh] = left.lbaHigh;
    answer[kTaskDevice] = left.device;
    answer[kTaskCommand] = left.status;
    std::memcpy(out, &record, sizeof record);
    return sizeof record;
}

std::uint32_t PassThroughDiskControl::BridgeRequest(const Slot& slot, const std::uint8_t* in, DWORD inSize,
                                                    std::uint8_t* out, DWORD outSize)
{
    SCSI_PASS_THROUGH header;
    if (in == nullptr || inSize < sizeof header || outSize < sizeof header) {
        return 0;
    }
    std::memcpy(&header, in, sizeof header);
    // The data must lie inside both buffers; an offset near the top must not wrap round.
    const DWORD size = inSize < outSize ? inSize : outSize;
    if (header.Length != sizeof header || header.CdbLength > sizeof header.Cdb ||
        header.DataBufferOffset < sizeof header || header.DataBufferOffset > size ||
        header.DataTransferLength > size - header.DataBufferOffset) {
        return 0;
    }
    const std::uint32_t dataEnd = static_cast<std::uint32_t>(header.DataBufferOffset) + header.DataTransferLength;
    BridgeStep step;
    std::memcpy(step.cdb, header.Cdb, header.CdbLength);
    step.cdbLength = header.CdbLength;
    step.direction = header.DataIn == kScsiDataIn    ? BridgeDirection::In
                     : header.DataIn == kScsiDataOut ? BridgeDirection::Out
                                                     : BridgeDirection::None;
    step.length = header.DataTransferLength;
    const std::uint8_t* sent = in + header.DataBufferOffset;
    NvmeRoute family = NvmeRoute::StorageQuery;
    // Nothing but the read-only steps the builders make reaches the device.
    if (!IsBuiltBridgeStep(step, step.direction == BridgeDirection::Out ? sent : nullptr, family)) {
        return 0;
    }
    std::uint8_t* data = out + header.DataBufferOffset;
    if (step.direction == BridgeDirection::Out && data != sent) {
        std::memmove(data, sent, step.length);
    }
    if (!port_.Bridge(slot.descriptor, step, data)) {
        return 0;
    }
    header.ScsiStatus = kScsiStatusGood;
    header.SenseInfoLength = 0;
    std::memcpy(out, &header, sizeof header);
    return dataEnd;
}

std::uint32_t PassThroughDiskControl::DescriptorReply(const Slot& slot, std::uint8_t* out, DWORD outSize)
{
    // The fixed fields, then what the port knows of the drive as the descriptor's texts,
    // as far as they fit.
    if (outSize < sizeof(STORAGE_DEVICE_DESCRIPTOR)) {
        return 0;
    }
    std::memset(out, 0, outSize);
    std::uint32_t end = sizeof(STORAGE_DEVICE_DESCRIPTOR);
    DriveDescription description;
    if (port_.Describe(slot.number, description)) {
        const auto put = [&](std::size_t field, const std::string& text) {
            if (text.empty() || text.size() + 1 > outSize - end) {
                return;
            }
            PutDword(out + field, end);
            std::memcpy(out + end, text.c_str(), text.size() + 1);
            end += static_cast<std::uint32_t>(text.size() + 1);
        };
        put(offsetof(STORAGE_DEVICE_DESCRIPTOR, VendorIdOffset), description.vendor);
        put(offsetof(STORAGE_DEVICE_DESCRIPTOR, ProductIdOffset), description.model);
        put(offsetof(STORAGE_DEVICE_DESCRIPTOR, ProductRevisionOffset), description.revision);
        put(offsetof(STORAGE_DEVICE_DESCRIPTOR, SerialNumberOffset), description.serial);
    }
    PutDword(out + offsetof(STORAGE_DEVICE_DESCRIPTOR, Version), sizeof(STORAGE_DEVICE_DESCRIPTOR));
    PutDword(out + offsetof(STORAGE_DEVICE_DESCRIPTOR, Size), end);
    PutDword(out + offsetof(STORAGE_DEVICE_DESCRIPTOR, BusType), slot.protocol == DriveProtocol::Nvme ? kBusTypeNvme
                                                                 : description.usb                    ? kBusTypeUsb
                                                                                                      : kBusTypeAta);
    return end;
}

std::uint32_t PassThroughDiskControl::PropertyRequest(const Slot& slot, const std::uint8_t* in, DWORD inSize,
                                                      std::uint8_t* out, DWORD outSize)
{
    constexpr std::uint32_t kQueryHead = offsetof(STORAGE_PROPERTY_QUERY, AdditionalParameters);
    if (in == nullptr || inSize < kQueryHead) {
        return 0;
    }
    const std::uint32_t property = NvmeDword(in + offsetof(STORAGE_PROPERTY_QUERY, PropertyId));
    if (NvmeDword(in + offsetof(STORAGE_PROPERTY_QUERY, QueryType)) != kPropertyStandardQuery) {
        return 0;
    }
    if (property == kStorageDeviceProperty) {
        return DescriptorReply(slot, out, outSize);
    }
    if ((property != kStorageAdapterProtocolSpecificProperty && property != kStorageDeviceProtocolSpecificProperty) ||
        slot.protocol != DriveProtocol::Nvme || inSize < kProtocolRequestSize) {
        return 0;
    }
    const std::uint8_t* specific = in + kQueryHead;
    const auto field = [specific](std::size_t offset) { return NvmeDword(specific + offset); };
    const std::uint32_t dataType = field(offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, DataType));
    const std::uint32_t value = field(offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolDataRequestValue));
    const std::uint32_t length = field(offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolDataLength));
    if (field(offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolType)) != kProtocolTypeNvme || length == 0 ||
        length % 4 != 0 || outSize < kProtocolDescriptorSize || length > outSize - kProtocolDescriptorSize) {
        return 0;
    }
    NvmeAdminCommand command;
    if (dataType == kNvmeDataTypeIdentify && length == kNvmeIdentifySize && value <= 0xFF) {
        command.opcode = kNvmeAdminIdentify;
        command.cdw10 = value;  // CNS
    } else if (dataType == kNvmeDataTypeLogPage && value <= 0xFF && length / 4 - 1 <= 0xFFF) {
        command.opcode = kNvmeAdminGetLogPage;
        command.namespaceId = kNvmeAllNamespaces;
        command.cdw10 = value | (length / 4 - 1) << 16;  // log id, number of dwords - 1
    } else {
        return 0;
    }
    std::uint8_t* data = out + kProtocolDescriptorSize;
    std::memset(out, 0, kProtocolDescriptorSize + length);
    if (!port_.NvmeAdmin(slot.descriptor, command, data, length)) {
        return 0;
    }
    PutDword(out + offsetof(STORAGE_PROTOCOL_DATA_DESCRIPTOR, Version), kProtocolDescriptorSize);
    PutDword(out + offsetof(STORAGE_PROTOCOL_DATA_DESCRIPTOR, Size), kProtocolDescriptorSize);
    std::uint8_t* answer = out + kProtocolDataStart;
    std::memcpy(answer, specific, sizeof(STORAGE_PROTOCOL_SPECIFIC_DATA));
    PutDword(answer + offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolDataOffset),
             sizeof(STORAGE_PROTOCOL_SPECIFIC_DATA));
    PutDword(answer + offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolDataLength), length);
    return kProtocolDescriptorSize + length;
}

std::uint32_t PassThroughDiskControl::ProtocolCommandRequest(const Slot& slot, const std::uint8_t* in, DWORD inSize,
                                                             std::uint8_t* out, DWORD outSize)
{
    // Only a Device Self-test as NvmeDevice builds it reaches the drive: no data either way.
    NvmeAdminCommand command;
    if (outSize < sizeof(StorageProtocolCommand) || !ParseSelfTestCommand(in, inSize, command) ||
        !port_.NvmeAdmin(slot.descriptor, command, nullptr, 0)) {
        return 0;
    }
    StorageProtocolCommand answer;
    std::memcpy(&answer, in, sizeof answer);
    answer.ReturnStatus = kProtocolStatusSuccess;
    std::memcpy(out, &answer, sizeof answer);
    return sizeof answer;
}
