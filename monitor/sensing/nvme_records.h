// The storage-property records through which Windows 10 and later reach NVMe drives
// (IOCTL_STORAGE_QUERY_PROPERTY), byte for byte as the SDK declares them. On Windows they
// come from <winioctl.h>; elsewhere we declare the same layouts so the portable core and
// the simulated drives speak exactly what the inbox NVMe driver speaks.
#pragma once

#include "wintypes.h"

#include <cstddef>
#include <cstdint>

#ifdef _WIN32
#include <winioctl.h>
#else

struct STORAGE_PROPERTY_QUERY {
    DWORD PropertyId;  // STORAGE_PROPERTY_ID
    DWORD QueryType;   // STORAGE_QUERY_TYPE
    BYTE AdditionalParameters[1];
};

struct STORAGE_PROTOCOL_SPECIFIC_DATA {
    DWORD ProtocolType;  // STORAGE_PROTOCOL_TYPE
    DWORD DataType;
    DWORD ProtocolDataRequestValue;
    DWORD ProtocolDataRequestSubValue;
    DWORD ProtocolDataOffset;  // from the start of this record
    DWORD ProtocolDataLength;
    DWORD FixedProtocolReturnData;
    DWORD ProtocolDataRequestSubValue2;
    DWORD ProtocolDataRequestSubValue3;
    DWORD ProtocolDataRequestSubValue4;
};

struct STORAGE_PROTOCOL_DATA_DESCRIPTOR {
    DWORD Version;
    DWORD Size;
    STORAGE_PROTOCOL_SPECIFIC_DATA ProtocolSpecificData;
};

struct STORAGE_DEVICE_DESCRIPTOR {
    DWORD Version;
    DWORD Size;
    BYTE DeviceType;
    BYTE DeviceTypeModifier;
    BYTE RemovableMedia;
    BYTE CommandQueueing;
    DWORD VendorIdOffset;
    DWORD ProductIdOffset;
    DWORD ProductRevisionOffset;
    DWORD SerialNumberOffset;
    DWORD BusType;  // STORAGE_BUS_TYPE
    DWORD RawPropertiesLength;
    BYTE RawDeviceProperties[1];
};

#define IOCTL_STORAGE_QUERY_PROPERTY 0x002D1400

#endif

static_assert(sizeof(STORAGE_PROPERTY_QUERY) == 12, "STORAGE_PROPERTY_QUERY is 12 bytes");
static_assert(offsetof(STORAGE_PROPERTY_QUERY, AdditionalParameters) == 8, "parameters follow two DWORDs");
static_assert(sizeof(STORAGE_PROTOCOL_SPECIFIC_DATA) == 40, "STORAGE_PROTOCOL_SPECIFIC_DATA is 40 bytes");
static_assert(offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolDataOffset) == 16, "data offset");
static_assert(offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolDataLength) == 20, "data length");
static_assert(sizeof(STORAGE_PROTOCOL_DATA_DESCRIPTOR) == 48, "STORAGE_PROTOCOL_DATA_DESCRIPTOR is 48 bytes");
static_assert(offsetof(STORAGE_PROTOCOL_DATA_DESCRIPTOR, ProtocolSpecificData) == 8, "data record at 8");
static_assert(offsetof(STORAGE_DEVICE_DESCRIPTOR, BusType) == 28, "bus type at 28");
static_assert(sizeof(STORAGE_DEVICE_DESCRIPTOR) == 40, "STORAGE_DEVICE_DESCRIPTOR is 40 bytes");

// Control code and enumeration values, the same numbers as the SDK's.
constexpr DWORD kIoctlStorageQueryProperty = 0x002D1400;
constexpr DWORD kStorageDeviceProperty = 0;
constexpr DWORD kStorageAdapterProtocolSpecificProperty = 49;
constexpr DWORD kStorageDeviceProtocolSpecificProperty = 50;
constexpr DWORD kPropertyStandardQuery = 0;
constexpr DWORD kProtocolTypeNvme = 3;
constexpr DWORD kNvmeDataTypeIdentify = 1;
constexpr DWORD kNvmeDataTypeLogPage = 2;
constexpr DWORD kNvmeIdentifyCnsController = 1;
constexpr DWORD kNvmeLogPageHealthInfo = 2;
constexpr DWORD kBusTypeAta = 0x03;
constexpr DWORD kBusTypeUsb = 0x07;
constexpr DWORD kBusTypeRaid = 0x08;
constexpr DWORD kBusTypeNvme = 0x11;  // the SDK hides it below Windows 7 targets
static_assert(kIoctlStorageQueryProperty == IOCTL_STORAGE_QUERY_PROPERTY, "IOCTL_STORAGE_QUERY_PROPERTY");
#ifdef _WIN32
static_assert(kStorageDeviceProperty == StorageDeviceProperty, "StorageDeviceProperty");
static_assert(kStorageAdapterProtocolSpecificProperty == StorageAdapterProtocolSpecificProperty,
              "StorageAdapterProtocolSpecificProperty");
static_assert(kStorageDeviceProtocolSpecificProperty == StorageDeviceProtocolSpecificProperty,
              "StorageDeviceProtocolSpecificProperty");
static_assert(kPropertyStandardQuery == PropertyStandardQuery, "PropertyStandardQuery");
static_assert(kProtocolTypeNvme == ProtocolTypeNvme, "ProtocolTypeNvme");
static_assert(kNvmeDataTypeIdentify == NVMeDataTypeIdentify, "NVMeDataTypeIdentify");
static_assert(kNvmeDataTypeLogPage == NVMeDataTypeLogPage, "NVMeDataTypeLogPage");
static_assert(kBusTypeAta == BusTypeAta, "BusTypeAta");
#endif

// Sizes: the request is a STORAGE_PROPERTY_QUERY whose parameters are one
// STORAGE_PROTOCOL_SPECIFIC_DATA; the reply is the 48-byte descriptor, then the data.
constexpr std::uint32_t kProtocolRequestSize =
    offsetof(STORAGE_PROPERTY_QUERY, AdditionalParameters) + sizeof(STORAGE_PROTOCOL_SPECIFIC_DATA);  // 48
constexpr std::uint32_t kProtocolDescriptorSize = sizeof(STORAGE_PROTOCOL_DATA_DESCRIPTOR);  // 48
constexpr std::uint32_t kProtocolDataStart = offsetof(STORAGE_PROTOCOL_DATA_DESCRIPTOR, ProtocolSpecificData);
constexpr std::uint32_t kNvmeIdentifySize = 4096;  // identify controller data (CNS 1)
constexpr std::uint32_t kNvmeHealthSize = 512;     // SMART / health information (log 0x02)
constexpr std::uint32_t kNvmeIdentifyReplySize = kProtocolDescriptorSize + kNvmeIdentifySize;
constexpr std::uint32_t kNvmeHealthReplySize = kProtocolDescriptorSize + kNvmeHealthSize;
constexpr std::uint32_t kDeviceDescriptorReplySize = 512;  // the descriptor and its texts

// Byte offsets in the identify controller data and the health log, as NVMe drives lay
// them out (little-endian).
constexpr unsigned kNvmeSerialOffset = 4;
constexpr unsigned kNvmeSerialLength = 20;
constexpr unsigned kNvmeModelOffset = 24;
constexpr unsigned kNvmeModelLength = 40;
constexpr unsigned kNvmeFirmwareOffset = 64;
constexpr unsigned kNvmeFirmwareLength = 8;
constexpr unsigned kNvmeVersionOffset = 80;         // VER: major 31:16, minor 15:8, tertiary 7:0
constexpr unsigned kNvmeWarningTempOffset = 266;    // WCTEMP, kelvin
constexpr unsigned kNvmeCriticalTempOffset = 268;   // CCTEMP, kelvin
constexpr unsigned kNvmeTotalCapacityOffset = 280;  // TNVMCAP, 16 bytes, bytes
constexpr unsigned kHealthCompositeTempOffset = 1;  // kelvin, 2 bytes
constexpr unsigned kNvmePowerOnHoursOffset = 128;   // 16 bytes, hours

#ifdef _WIN32
#include <nvme.h>
static_assert(kNvmeIdentifyCnsController == NVME_IDENTIFY_CNS_CONTROLLER, "NVME_IDENTIFY_CNS_CONTROLLER");
static_assert(kNvmeLogPageHealthInfo == NVME_LOG_PAGE_HEALTH_INFO, "NVME_LOG_PAGE_HEALTH_INFO");
static_assert(sizeof(NVME_IDENTIFY_CONTROLLER_DATA) == kNvmeIdentifySize, "identify controller data");
static_assert(offsetof(NVME_IDENTIFY_CONTROLLER_DATA, SN) == kNvmeSerialOffset, "SN");
static_assert(offsetof(NVME_IDENTIFY_CONTROLLER_DATA, MN) == kNvmeModelOffset, "MN");
static_assert(offsetof(NVME_IDENTIFY_CONTROLLER_DATA, FR) == kNvmeFirmwareOffset, "FR");
static_assert(offsetof(NVME_IDENTIFY_CONTROLLER_DATA, VER) == kNvmeVersionOffset, "VER");
static_assert(offsetof(NVME_IDENTIFY_CONTROLLER_DATA, WCTEMP) == kNvmeWarningTempOffset, "WCTEMP");
static_assert(offsetof(NVME_IDENTIFY_CONTROLLER_DATA, CCTEMP) == kNvmeCriticalTempOffset, "CCTEMP");
static_assert(offsetof(NVME_IDENTIFY_CONTROLLER_DATA, TNVMCAP) == kNvmeTotalCapacityOffset, "TNVMCAP");
static_assert(sizeof(NVME_HEALTH_INFO_LOG) == kNvmeHealthSize, "health information log");
static_assert(offsetof(NVME_HEALTH_INFO_LOG, Temperature) == kHealthCompositeTempOffset, "composite temperature");
#endif

// IOCTL_STORAGE_PROTOCOL_COMMAND (Windows 10 1903 and later): StorNVMe passes an admin
// command without data, such as Device Self-test, to the drive. mingw-w64 declares only the
// control code, so the record is ours, laid out as the SDK's STORAGE_PROTOCOL_COMMAND: 80
// bytes of header, then the 64-byte NVMe command.
struct StorageProtocolCommand {
    DWORD Version;
    DWORD Length;
    DWORD ProtocolType;
    DWORD Flags;
    DWORD ReturnStatus;
    DWORD ErrorCode;
    DWORD CommandLength;
    DWORD ErrorInfoLength;
    DWORD DataToDeviceTransferLength;
    DWORD DataFromDeviceTransferLength;
    DWORD TimeOutValue;
    DWORD ErrorInfoOffset;
    DWORD DataToDeviceBufferOffset;
    DWORD DataFromDeviceBufferOffset;
    DWORD CommandSpecific;
    DWORD Reserved0;
    DWORD FixedProtocolReturnData;
    DWORD FixedProtocolReturnData2;
    DWORD Reserved1[2];
    BYTE Command[64];
};
static_assert(offsetof(StorageProtocolCommand, ReturnStatus) == 16, "return status");
static_assert(offsetof(StorageProtocolCommand, TimeOutValue) == 40, "time-out");
static_assert(offsetof(StorageProtocolCommand, CommandSpecific) == 56, "command specific");
static_assert(offsetof(StorageProtocolCommand, Command) == 80, "the command follows the 80-byte header");
static_assert(sizeof(StorageProtocolCommand) == 144, "header and one NVMe command");

constexpr DWORD kIoctlStorageProtocolCommand = 0x002DD3C0;
constexpr DWORD kProtocolStructureVersion = 1;       // STORAGE_PROTOCOL_STRUCTURE_VERSION
constexpr DWORD kProtocolHeaderLength = 84;          // sizeof(STORAGE_PROTOCOL_COMMAND), Command[1] padded
constexpr DWORD kProtocolAdapterRequest = 0x80000000; // STORAGE_PROTOCOL_COMMAND_FLAG_ADAPTER_REQUEST
constexpr DWORD kProtocolCommandLengthNvme = 64;     // STORAGE_PROTOCOL_COMMAND_LENGTH_NVME
constexpr DWORD kProtocolNvmeAdminCommand = 1;       // STORAGE_PROTOCOL_SPECIFIC_NVME_ADMIN_COMMAND
constexpr DWORD kProtocolStatusSuccess = 1;          // STORAGE_PROTOCOL_STATUS_SUCCESS
constexpr DWORD kProtocolStatusError = 2;            // STORAGE_PROTOCOL_STATUS_ERROR
// NVMe command bytes: opcode in CDW0, the namespace at 4, CDW10 at 40.
constexpr unsigned kNvmeCommandNsidOffset = 4;
constexpr unsigned kNvmeCommandCdw10Offset = 40;
#ifdef _WIN32
static_assert(kIoctlStorageProtocolCommand == IOCTL_STORAGE_PROTOCOL_COMMAND, "IOCTL_STORAGE_PROTOCOL_COMMAND");
#endif
