// NvmeDevice: the NVMe requests of one drive and their reply buffers. Windows 10 and
// later answer IOCTL_STORAGE_QUERY_PROPERTY with protocol-specific data on the same
// physical-drive handle SmartDevice opened; the requests go through the disk-control
// seam like every S.M.A.R.T. request.
#pragma once

#include "disk_length_records.h"
#include "intel_rst_nvme.h"
#include "nvme_records.h"
#include "scsi_records.h"
#include "usb_nvme_bridge.h"
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

// The IOCTL_STORAGE_PROTOCOL_COMMAND record of a Device Self-test for all namespaces.
void FillSelfTestCommand(StorageProtocolCommand& record, bool extended);
// The admin command a protocol-command record carries, when it is a Device Self-test as
// FillSelfTestCommand makes one (short or extended, no data, inside `size` bytes); false
// for anything else, so nothing else reaches a drive.
bool ParseSelfTestCommand(const std::uint8_t* record, std::uint32_t size, NvmeAdminCommand& command);

// One SCSI pass-through request of a USB-NVMe bridge and its buffers.
struct BridgePassThroughBlock {
    SCSI_PASS_THROUGH header;
    BYTE sense[kSatSenseSize];
    BYTE data[kNvmeIdentifySize];
};

// Seconds a bridge or the RST driver may take: an SSD needs no spin-up.
constexpr std::uint32_t kNvmePassThroughSeconds = 5;

class NvmeDevice {
public:
    NvmeDevice() = default;
    NvmeDevice(const NvmeDevice&) = delete;
    NvmeDevice& operator=(const NvmeDevice&) = delete;
    ~NvmeDevice();

    // For a USB drive none of the disk driver's ways read: each bridge family the device
    // descriptor's vendor or product names is asked for identify controller in its own
    // form; the first that gives a plausible page is kept for the drive.
    bool UseUsbBridge(HANDLE handle, const char* vendor, const char* product);
    // For any other drive: Intel RST's pass-through on the drive's controller. Kept when
    // identify controller answers plausibly and its serial is the descriptor's (when the
    // descriptor gives one): the driver may pick another drive on the same controller.
    bool UseIntelRst(HANDLE handle, const char* descriptorSerial);
    NvmeRoute Route() const { return route_; }

    // StorageDeviceProperty: whether the drive sits on the NVMe bus.
    bool IsNvme(HANDLE handle);
    // Identify controller data (4096 bytes), or null.
    const std::uint8_t* IdentifyController(HANDLE handle, std::uint32_t& bytesReturned);
    // The SMART / health information log (512 bytes), or null.
    const std::uint8_t* ReadHealthLog(HANDLE handle, std::uint32_t& bytesReturned);
    // The Device Self-test log (page 06h, 564 bytes) through the storage query, or null;
    // a USB bridge or the RST driver is not asked (they pass only identify and health).
    const std::uint8_t* ReadSelfTestLog(HANDLE handle, std::uint32_t& bytesReturned);
    // Starts the drive's own short or extended self-test (Device Self-test) through
    // StorNVMe's protocol command; a bridge or the RST driver is not asked. False when the
    // driver or the drive refused it (one runs already, say).
    bool StartSelfTest(HANDLE handle, bool extended);
    // IOCTL_DISK_GET_LENGTH_INFO: the drive's length in bytes from the disk driver, for
    // drives whose identify data give no total capacity. False when it is not answered.
    bool ReadDiskLength(HANDLE handle, std::uint64_t& bytes);

private:
    // One command through the route; the data land in `data`.
    bool PassThrough(HANDLE handle, const NvmeAdminCommand& command, std::uint8_t* data, std::uint32_t dataLength);
    bool BridgeStepRequest(HANDLE handle, const BridgeStep& step, const std::uint8_t* out, std::uint8_t* in);
    bool RstRequest(const NvmeAdminCommand& command, std::uint8_t* data, std::uint32_t dataLength);
    const std::uint8_t* Query(HANDLE handle, DWORD propertyId, DWORD dataType, DWORD requestValue,
                              std::uint8_t* reply, std::uint32_t dataSize, std::uint32_t& bytesReturned);

    std::uint8_t request_[kProtocolRequestSize]{};
    std::uint8_t identifyReply_[kNvmeIdentifyReplySize]{};
    std::uint8_t healthReply_[kNvmeHealthReplySize]{};
    std::uint8_t selfTestReply_[kProtocolDescriptorSize + 564]{};
    NvmeRoute route_ = NvmeRoute::StorageQuery;
    BridgePassThroughBlock bridgeBlock_{};
    HANDLE controller_ = nullptr;  // "\\.\ScsiN:" of an RST drive
    ScsiAddress address_;
    std::uint8_t rstBlock_[kRstRequestSize]{};
};
