#include "storage_property_query.h"

#include "disk_control.h"
#include "nvme_records.h"

#include <cstring>

namespace {

// One standard query of `propertyId` into `reply`; the bytes returned, 0 on failure or
// when the driver claims more than the buffer holds.
std::uint32_t QueryProperty(HANDLE handle, DWORD propertyId, std::uint8_t* reply, std::uint32_t replySize)
{
    if (handle == nullptr) {
        return 0;
    }
    std::uint8_t query[sizeof(STORAGE_PROPERTY_QUERY)] = {};
    for (unsigned i = 0; i < 4; ++i) {
        query[offsetof(STORAGE_PROPERTY_QUERY, PropertyId) + i] = static_cast<std::uint8_t>(propertyId >> (8 * i));
    }
    // QueryType stays PropertyStandardQuery (0).
    std::memset(reply, 0, replySize);
    DWORD returned = 0;
    if (!ActiveDiskControl().Request(handle, kIoctlStorageQueryProperty, query, sizeof query, reply, replySize,
                                     &returned) ||
        returned > replySize) {
        return 0;
    }
    return returned;
}

}  // namespace

bool QueryTemperatureProperty(HANDLE handle, PropertyTemperature& result)
{
    std::uint8_t reply[kTemperatureReplySize];
    const std::uint32_t returned = QueryProperty(handle, kStorageDeviceTemperatureProperty, reply, sizeof reply);
    return returned != 0 && ParseTemperatureDescriptor(reply, returned, result);
}

bool QueryDeviceTexts(HANDLE handle, DeviceTexts& texts)
{
    std::uint8_t reply[kDeviceDescriptorReplySize];
    const std::uint32_t returned = QueryProperty(handle, kStorageDeviceProperty, reply, sizeof reply);
    return returned != 0 && ParseDeviceTexts(reply, returned, texts);
}
