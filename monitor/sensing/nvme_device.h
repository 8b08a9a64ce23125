// NvmeDevice: the NVMe requests of one drive and their reply buffers. Windows 10 and
// later answer IOCTL_STORAGE_QUERY_PROPERTY with protocol-specific data on the same
// physical-drive handle SmartDevice opened; the requests go through the disk-control
// seam like every S.M.A.R.T. request.
#pragma once

#include "disk_length_records.h"
#include "nvme_records.h"
#include "wintypes.h"

#include <cstdint>

// The data a protocol-specific reply carries: its descriptor must be the 48-byte one,
// and its offset (from the STORAGE_PROTOCOL_SPECIFIC_DATA record) and length must place
// at least `dataSize` bytes inside the `returned` bytes. Null for anything else.
const std::uint8_t* LocateProtocolData(const std::uint8_t* reply, std::uint32_t returned, std::uint32_t dataSize);

// The bus type of a STORAGE_DEVICE_DESCRIPTOR reply; false when it is too short.
bool ParseBusType(const std::uint8_t* reply, std::uint32_t returned, std::uint32_t& busType);

// The 48 request bytes of one protocol-specific query.
void FillProtocolRequest(std::uint8_t (&request)[kProtocolRequestSize], DWORD propertyId, DWORD dataType,
                         DWORD requestValue, DWORD dataLength);

class NvmeDevice {
public:
    NvmeDevice() = default;
    NvmeDevice(const NvmeDevice&) = delete;
    NvmeDevice& operator=(const NvmeDevice&) = delete;

    // StorageDeviceProperty: whether the drive sits on the NVMe bus.
    bool IsNvme(HANDLE handle);
    // Identify controller data (4096 bytes), or null.
    const std::uint8_t* IdentifyController(HANDLE handle, std::uint32_t& bytesReturned);
    // The SMART / health information log (512 bytes), or null.
    const std::uint8_t* ReadHealthLog(HANDLE handle, std::uint32_t& bytesReturned);
    // IOCTL_DISK_GET_LENGTH_INFO: the drive's length in bytes from the disk driver, for
    // drives whose identify data give no total capacity. False when it is not answered.
    bool ReadDiskLength(HANDLE handle, std::uint64_t& bytes);

private:
    const std::uint8_t* Query(HANDLE handle, DWORD propertyId, DWORD dataType, DWORD requestValue,
                              std::uint8_t* reply, std::uint32_t dataSize, std::uint32_t& bytesReturned);

    std::uint8_t request_[kProtocolRequestSize]{};
    std::uint8_t identifyReply_[kNvmeIdentifyReplySize]{};
    std::uint8_t healthReply_[kNvmeHealthReplySize]{};
};
