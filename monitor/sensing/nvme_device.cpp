#include "nvme_device.h"

#include "disk_control.h"
#include "nvme_pages.h"
#include "nvme_plausibility.h"
#include "self_test_log.h"

#include <cstdio>
#include <cstring>

namespace {

void PutDword(std::uint8_t* at, DWORD value)
{
    for (unsigned i = 0; i < 4; ++i) {
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

constexpr unsigned kSpecificData = offsetof(STORAGE_PROPERTY_QUERY, AdditionalParameters);

}  // namespace

const std::uint8_t* LocateProtocolData(const std::uint8_t* reply, std::uint32_t returned, std::uint32_t dataSize)
{
    if (reply == nullptr || returned < kProtocolDescriptorSize) {
        return nullptr;
    }
    // The driver names the descriptor's own size in both fields.
    if (NvmeDword(reply + offsetof(STORAGE_PROTOCOL_DATA_DESCRIPTOR, Version)) != kProtocolDescriptorSize ||
        NvmeDword(reply + offsetof(STORAGE_PROTOCOL_DATA_DESCRIPTOR, Size)) != kProtocolDescriptorSize) {
        return nullptr;
    }
    const std::uint8_t* specific = reply + kProtocolDataStart;
    const std::uint64_t offset = NvmeDword(specific + offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolDataOffset));
    const std::uint64_t length = NvmeDword(specific + offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolDataLength));
    if (offset < sizeof(STORAGE_PROTOCOL_SPECIFIC_DATA) || length < dataSize ||
        kProtocolDataStart + offset + dataSize > returned) {
        return nullptr;
    }
    return specific + offset;
}

bool ParseBusType(const std::uint8_t* reply, std::uint32_t returned, std::uint32_t& busType)
{
    constexpr std::uint32_t kBusTypeEnd = offsetof(STORAGE_DEVICE_DESCRIPTOR, BusType) + 4;
    if (reply == nullptr || returned < kBusTypeEnd) {
        return false;
    }
    busType = NvmeDword(reply + offsetof(STORAGE_DEVICE_DESCRIPTOR, BusType));
    return true;
}

void FillProtocolRequest(std::uint8_t (&request)[kProtocolRequestSize], DWORD propertyId, DWORD dataType,
                         DWORD requestValue, DWORD dataLength)
{
    std::memset(request, 0, sizeof request);
    PutDword(request + offsetof(STORAGE_PROPERTY_QUERY, PropertyId), propertyId);
    PutDword(request + offsetof(STORAGE_PROPERTY_QUERY, QueryType), kPropertyStandardQuery);
    std::uint8_t* specific = request + kSpecificData;
    PutDword(specific + offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolType), kProtocolTypeNvme);
    PutDword(specific + offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, DataType), dataType);
    PutDword(specific + offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolDataRequestValue), requestValue);
    // Sub-value 0: for a log page the offset within the page; the health log is global.
    PutDword(specific + offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolDataOffset),
             sizeof(STORAGE_PROTOCOL_SPECIFIC_DATA));
    PutDword(specific + offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolDataLength), dataLength);
}

void FillSelfTestCommand(StorageProtocolCommand& record, bool extended)
{
    std::memset(&record, 0, sizeof record);
    record.Version = kProtocolStructureVersion;
    record.Length = kProtocolHeaderLength;
    record.ProtocolType = kProtocolTypeNvme;
    record.Flags = kProtocolAdapterRequest;
    record.CommandLength = kProtocolCommandLengthNvme;
    record.TimeOutValue = kNvmePassThroughSeconds;
    record.CommandSpecific = kProtocolNvmeAdminCommand;
    record.Command[0] = kNvmeAdminDeviceSelfTest;
    PutDword(record.Command + kNvmeCommandNsidOffset, kNvmeAllNamespaces);
    PutDword(record.Command + kNvmeCommandCdw10Offset, extended ? kNvmeExtendedSelfTest : kNvmeShortSelfTest);
}

bool ParseSelfTestCommand(const std::uint8_t* record, std::uint32_t size, NvmeAdminCommand& command)
{
    if (record == nullptr || size < sizeof(StorageProtocolCommand)) {
        return false;
    }
    StorageProtocolCommand r;
    std::memcpy(&r, record, sizeof r);
    const std::uint32_t stc = NvmeDword(r.Command + kNvmeCommandCdw10Offset);
    if (r.Version != kProtocolStructureVersion || r.Length != kProtocolHeaderLength ||
        r.ProtocolType != kProtocolTypeNvme || r.CommandLength != kProtocolCommandLengthNvme ||
        r.CommandSpecific != kProtocolNvmeAdminCommand || r.ErrorInfoLength != 0 ||
        r.DataToDeviceTransferLength != 0 || r.DataFromDeviceTransferLength != 0 ||
        r.Command[0] != kNvmeAdminDeviceSelfTest || (stc != kNvmeShortSelfTest && stc != kNvmeExtendedSelfTest)) {
        return false;
    }
    command = NvmeAdminCommand{};
    command.opcode = kNvmeAdminDeviceSelfTest;
    command.namespaceId = NvmeDword(r.Command + kNvmeCommandNsidOffset);
    command.cdw10 = stc;
    return true;
}

bool NvmeDevice::IsNvme(HANDLE handle)
{
    std::uint8_t query[sizeof(STORAGE_PROPERTY_QUERY)] = {};
    PutDword(query + offsetof(STORAGE_PROPERTY_QUERY, PropertyId), kStorageDeviceProperty);
    PutDword(query + offsetof(STORAGE_PROPERTY_QUERY, QueryType), kPropertyStandardQuery);
    std::uint8_t reply[kDeviceDescriptorReplySize] = {};
    DWORD returned = 0;
    if (handle == nullptr ||
        !ActiveDiskControl().Request(handle, kIoctlStorageQueryProperty, query, sizeof query, reply, sizeof reply,
                                     &returned)) {
        return false;
    }
    std::uint32_t busType = 0;
    return returned <= sizeof reply && ParseBusType(reply, returned, busType) && busType == kBusTypeNvme;
}

const std::uint8_t* NvmeDevice::Query(HANDLE handle, DWORD propertyId, DWORD dataType, DWORD requestValue,
                                      std::uint8_t* reply, std::uint32_t dataSize, std::uint32_t& bytesReturned)
{
    bytesReturned = 0;
    if (handle == nullptr) {
        return nullptr;
    }
    const std::uint32_t replySize = kProtocolDescriptorSize + dataSize;
    FillProtocolRequest(request_, propertyId, dataType, requestValue, dataSize);
    std::memset(reply, 0, replySize);
    DWORD returned = 0;
    const bool ok = ActiveDiskControl().Request(handle, kIoctlStorageQueryProperty, request_, sizeof request_,
                                                reply, replySize, &returned);
    bytesReturned = returned;
    // A driver that claims more than the buffer holds is not believed.
    if (!ok || returned > replySize) {
        return nullptr;
    }
    return LocateProtocolData(reply, returned, dataSize);
}

NvmeDevice::~NvmeDevice()
{
    if (controller_ != nullptr) {
        ActiveDiskControl().Close(controller_);
    }
}

const std::uint8_t* NvmeDevice::IdentifyController(HANDLE handle, std::uint32_t& bytesReturned)
{
    if (route_ != NvmeRoute::StorageQuery) {
        std::uint8_t* data = identifyReply_ + kProtocolDescriptorSize;
        bytesReturned = 0;
        if (!PassThrough(handle, IdentifyControllerCommand(), data, kNvmeIdentifySize) || !PlausibleIdentify(data)) {
            return nullptr;
        }
        bytesReturned = kNvmeIdentifySize;
        return data;
    }
    return Query(handle, kStorageAdapterProtocolSpecificProperty, kNvmeDataTypeIdentify, kNvmeIdentifyCnsController,
                 identifyReply_, kNvmeIdentifySize, bytesReturned);
}

const std::uint8_t* NvmeDevice::ReadHealthLog(HANDLE handle, std::uint32_t& bytesReturned)
{
    if (route_ != NvmeRoute::StorageQuery) {
        std::uint8_t* data = healthReply_ + kProtocolDescriptorSize;
        bytesReturned = 0;
        if (!PassThrough(handle, HealthLogCommand(), data, kNvmeHealthSize) || !PlausibleHealth(data)) {
            return nullptr;
        }
        bytesReturned = kNvmeHealthSize;
        return data;
    }
    return Query(handle, kStorageDeviceProtocolSpecificProperty, kNvmeDataTypeLogPage, kNvmeLogPageHealthInfo,
                 healthReply_, kNvmeHealthSize, bytesReturned);
}

const std::uint8_t* NvmeDevice::ReadSelfTestLog(HANDLE handle, std::uint32_t& bytesReturned)
{
    bytesReturned = 0;
    if (route_ != NvmeRoute::StorageQuery) {
        return nullptr;
    }
    return Query(handle, kStorageDeviceProtocolSpecificProperty, kNvmeDataTypeLogPage, kNvmeSelfTestLogId,
                 selfTestReply_, kNvmeSelfTestLogSize, bytesReturned);
}

bool NvmeDevice::StartSelfTest(HANDLE handle, bool extended)
{
    if (handle == nullptr || route_ != NvmeRoute::StorageQuery) {
        return false;
    }
    StorageProtocolCommand record;
    FillSelfTestCommand(record, extended);
    DWORD returned = 0;
    return ActiveDiskControl().Request(handle, kIoctlStorageProtocolCommand, &record, sizeof record, &record,
                                       sizeof record, &returned) &&
           returned <= sizeof record && record.ReturnStatus == kProtocolStatusSuccess;
}

bool NvmeDevice::ReadDiskLength(HANDLE handle, std::uint64_t& bytes)
{
    bytes = 0;
    std::uint8_t reply[kDiskLengthReplySize] = {};
    DWORD returned = 0;
    if (handle == nullptr ||
        !ActiveDiskControl().Request(handle, kIoctlDiskGetLengthInfo, nullptr, 0, reply, sizeof reply, &returned) ||
        returned != sizeof reply) {
        return false;
    }
    for (unsigned i = sizeof reply; i-- > 0;) {
        bytes = bytes << 8 | reply[i];
    }
    return true;
}

bool NvmeDevice::UseUsbBridge(HANDLE handle, const char* vendor, const char* product)
{
    for (const NvmeRoute family : kBridgeFamilies) {
        if (!BridgeMayApply(family, vendor, product)) {
            continue;
        }
        route_ = family;
        std::uint32_t bytes = 0;
        if (IdentifyController(handle, bytes) != nullptr) {
            return true;
        }
    }
    route_ = NvmeRoute::StorageQuery;
    return false;
}

bool NvmeDevice::UseIntelRst(HANDLE handle, const char* descriptorSerial)
{
    DiskControl& disk = ActiveDiskControl();
    std::uint8_t reply[kScsiAddressSize] = {};
    DWORD returned = 0;
    if (handle == nullptr || controller_ != nullptr ||
        !disk.Request(handle, kIoctlScsiGetAddress, nullptr, 0, reply, sizeof reply, &returned) ||
        !ParseScsiAddress(reply, returned, address_)) {
        return false;
    }
    char name[32];
    std::snprintf(name, sizeof name, "\\\\.\\Scsi%u:", static_cast<unsigned>(address_.port));
    const HANDLE controller = disk.Open(name, kAccessReadWrite, kShareReadWrite, kOpenExisting);
    if (controller == INVALID_HANDLE_VALUE || controller == nullptr) {
        return false;
    }
    controller_ = controller;
    route_ = NvmeRoute::IntelRst;
    std::uint32_t bytes = 0;
    const std::uint8_t* identify = IdentifyController(handle, bytes);
    char serial[kNvmeSerialLength + 2] = {};
    if (identify != nullptr) {
        CopyNvmeText(serial, identify + kNvmeSerialOffset, kNvmeSerialLength);
    }
    if (identify != nullptr && (descriptorSerial == nullptr || descriptorSerial[0] == '\0' ||
                                std::strcmp(serial, descriptorSerial) == 0)) {
        return true;
    }
    route_ = NvmeRoute::StorageQuery;
    disk.Close(controller_);
    controller_ = nullptr;
    return false;
}

bool NvmeDevice::PassThrough(HANDLE handle, const NvmeAdminCommand& command, std::uint8_t* data,
                             std::uint32_t dataLength)
{
    std::memset(data, 0, dataLength);
    BridgeStep steps[kJmicronStepCount];
    switch (route_) {
    case NvmeRoute::ASMedia:
        return BuildAsmediaStep(command, dataLength, steps[0]) && BridgeStepRequest(handle, steps[0], nullptr, data);
    case NvmeRoute::Realtek:
        return BuildRealtekStep(command, dataLength, steps[0]) && BridgeStepRequest(handle, steps[0], nullptr, data);
    case NvmeRoute::JMicron: {
        std::uint8_t payload[kJmicronPayloadSize];
        std::uint8_t completion[kJmicronPayloadSize] = {};
        return BuildJmicronSteps(command, dataLength, steps, payload) &&
               BridgeStepRequest(handle, steps[0], payload, nullptr) &&
               BridgeStepRequest(handle, steps[1], nullptr, data) &&
               BridgeStepRequest(handle, steps[2], nullptr, completion) &&
               JmicronCompletionOk(completion, sizeof completion);
    }
    case NvmeRoute::IntelRst:
        return RstRequest(command, data, dataLength);
    case NvmeRoute::StorageQuery:
        break;
    }
    return false;
}

bool NvmeDevice::BridgeStepRequest(HANDLE handle, const BridgeStep& step, const std::uint8_t* out, std::uint8_t* in)
{
    if (handle == nullptr || step.length > sizeof bridgeBlock_.data) {
        return false;
    }
    std::memset(&bridgeBlock_, 0, sizeof bridgeBlock_);
    SCSI_PASS_THROUGH& header = bridgeBlock_.header;
    header.Length = sizeof(SCSI_PASS_THROUGH);
    header.CdbLength = step.cdbLength;
    std::memcpy(header.Cdb, step.cdb, sizeof header.Cdb);
    header.SenseInfoLength = kSatSenseSize;
    header.DataIn = step.direction == BridgeDirection::In    ? kScsiDataIn
                    : step.direction == BridgeDirection::Out ? kScsiDataOut
                                                             : kScsiDataUnspecified;
    header.DataTransferLength = step.length;
    header.TimeOutValue = kNvmePassThroughSeconds;
    header.DataBufferOffset = offsetof(BridgePassThroughBlock, data);
    header.SenseInfoOffset = offsetof(BridgePassThroughBlock, sense);
    if (out != nullptr) {
        std::memcpy(bridgeBlock_.data, out, step.length);
    }
    DWORD returned = 0;
    if (!ActiveDiskControl().Request(handle, kIoctlScsiPassThrough, &bridgeBlock_, sizeof bridgeBlock_,
                                     &bridgeBlock_, sizeof bridgeBlock_, &returned) ||
        returned > sizeof bridgeBlock_ || header.ScsiStatus != kScsiStatusGood) {
        return false;
    }
    // A data-in step must bring the whole page.
    if (in != nullptr) {
        if (header.DataTransferLength < step.length) {
            return false;
        }
        std::memcpy(in, bridgeBlock_.data, step.length);
    }
    return true;
}

bool NvmeDevice::RstRequest(const NvmeAdminCommand& command, std::uint8_t* data, std::uint32_t dataLength)
{
    if (controller_ == nullptr || !BuildRstRequest(command, dataLength, address_, rstBlock_)) {
        return false;
    }
    DWORD returned = 0;
    if (!ActiveDiskControl().Request(controller_, kIoctlScsiMiniport, rstBlock_, sizeof rstBlock_, rstBlock_,
                                     sizeof rstBlock_, &returned) ||
        returned > sizeof rstBlock_ || !RstReplyOk(rstBlock_, returned, dataLength)) {
        return false;
    }
    std::memcpy(data, rstBlock_ + kRstDataOffset, dataLength);
    return true;
}
