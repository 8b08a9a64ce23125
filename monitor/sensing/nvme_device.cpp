#include "nvme_device.h"

#include "disk_control.h"
#include "nvme_pages.h"

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

const std::uint8_t* NvmeDevice::IdentifyController(HANDLE handle, std::uint32_t& bytesReturned)
{
    return Query(handle, kStorageAdapterProtocolSpecificProperty, kNvmeDataTypeIdentify, kNvmeIdentifyCnsController,
                 identifyReply_, kNvmeIdentifySize, bytesReturned);
}

const std::uint8_t* NvmeDevice::ReadHealthLog(HANDLE handle, std::uint32_t& bytesReturned)
{
    return Query(handle, kStorageDeviceProtocolSpecificProperty, kNvmeDataTypeLogPage, kNvmeLogPageHealthInfo,
                 healthReply_, kNvmeHealthSize, bytesReturned);
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
