#include "drive_enumeration.h"

#include "disk_control.h"
#include "drive_database.h"
#include "identity_text.h"
#include "drive_power.h"
#include "nvme_pages.h"
#include "return_status.h"
#include "storage_property_query.h"
#include "worst_temperatures.h"

#include <cstdio>
#include <cstring>

namespace {

// IDENTIFY byte offsets.
constexpr unsigned kSerialOffset = 20;
constexpr unsigned kSerialLength = 20;
constexpr unsigned kFirmwareOffset = 46;
constexpr unsigned kFirmwareLength = 8;
constexpr unsigned kModelOffset = 54;
constexpr unsigned kModelLength = 40;
constexpr unsigned kSectorCountOffset = 120;
constexpr unsigned kCommandSetsOffset = 166;  // word 83; bit 10: 48-bit addressing
constexpr std::uint8_t kLba48HighByteBit = 0x04;
constexpr unsigned kLba48SectorCountOffset = 200;  // words 100-103
constexpr unsigned kSingleWordDmaSelected = 125;
constexpr unsigned kMultiWordDmaSelected = 127;
constexpr unsigned kUltraDmaSelected = 177;

// Reads the identity and both S.M.A.R.T. tables; false at the first failure.
bool ReadIdentityAndTables(DriveRecord& record)
{
    SmartDevice& device = record.device;
    record.identifyResult = device.Identify(record.identifyBytes);
    if (record.identifyResult == nullptr) {
        return false;
    }
    // Both tables are always asked for, even when the first request fails.
    record.attributeResult = device.ReadAttributes(record.attributeBytes);
    record.thresholdResult = device.ReadThresholds(record.thresholdBytes);
    return record.attributeResult != nullptr && record.thresholdResult != nullptr;
}

// Reads every identity and S.M.A.R.T. table of the open drive; false at the first failure.
bool ReadDrive(DriveRecord& record)
{
    SmartDevice& device = record.device;
    if (!device.IsOpen()) {
        return false;
    }
    record.versionResult = device.GetVersion(record.versionBytes);
    if (record.versionResult == nullptr) {
        return false;
    }
    return ReadIdentityAndTables(record);
}

// An ATA drive behind a bridge (USB enclosures): the same reads through SCSI ATA
// PASS-THROUGH (NT family only). No driver version exists on this path.
bool ReadSatDrive(DriveRecord& record)
{
    SmartDevice& device = record.device;
    if (!device.IsOpen() || ActiveDiskControl().PlatformId() != kPlatformWindowsNT) {
        return false;
    }
    record.versionResult = nullptr;
    record.versionBytes = 0;
    return device.UseSatBridge() && ReadIdentityAndTables(record);
}

// A drive the S.M.A.R.T. requests could not read may be an NVMe drive (NT family only:
// the storage queries go to the physical drive). Present when the bus type is NVMe and
// both the identify and the health requests succeed.
bool ReadNvmeDrive(DriveRecord& record)
{
    SmartDevice& device = record.device;
    if (!device.IsOpen() || ActiveDiskControl().PlatformId() != kPlatformWindowsNT ||
        !record.nvme.IsNvme(device.Handle())) {
        return false;
    }
    record.nvmeIdentifyResult = record.nvme.IdentifyController(device.Handle(), record.nvmeIdentifyBytes);
    if (record.nvmeIdentifyResult == nullptr) {
        return false;
    }
    record.healthResult = record.nvme.ReadHealthLog(device.Handle(), record.healthBytes);
    if (record.healthResult == nullptr) {
        return false;
    }
    // What the ATA requests left behind belongs to no page of this drive.
    record.versionResult = nullptr;
    record.identifyResult = nullptr;
    record.attributeResult = nullptr;
    record.thresholdResult = nullptr;
    record.versionBytes = record.identifyBytes = record.attributeBytes = record.thresholdBytes = 0;
    record.kind = DriveKind::Nvme;
    return true;
}

// An NVMe drive behind a USB bridge or Intel RST (NT family only): through the bridge's
// own pass-through form, or RST's, read as a direct NVMe drive. A drive whose identify
// answers but whose health log does not (a bridge that garbles it) is listed with its
// identity and no temperature: "not readable", never a wrong number.
bool ReadRoutedNvmeDrive(DriveRecord& record)
{
    SmartDevice& device = record.device;
    DeviceTexts texts;
    if (!device.IsOpen() || ActiveDiskControl().PlatformId() != kPlatformWindowsNT ||
        !QueryDeviceTexts(device.Handle(), texts)) {
        return false;
    }
    // RST shows its drives on the RAID or the NVMe bus; other buses are not asked.
    const bool usb = texts.busType == kBusTypeUsb;
    const bool rst = texts.busType == kBusTypeRaid || texts.busType == kBusTypeNvme;
    const bool reached = (usb && record.nvme.UseUsbBridge(device.Handle(), texts.vendor, texts.product)) ||
                         (rst && record.nvme.UseIntelRst(device.Handle(), texts.serial));
    if (!reached) {
        return false;
    }
    record.nvmeIdentifyResult = record.nvme.IdentifyController(device.Handle(), record.nvmeIdentifyBytes);
    if (record.nvmeIdentifyResult == nullptr) {
        return false;
    }
    record.healthResult = record.nvme.ReadHealthLog(device.Handle(), record.healthBytes);
    record.lastReadFailed = record.healthResult == nullptr ? 1 : 0;
    record.versionResult = nullptr;
    record.identifyResult = nullptr;
    record.attributeResult = nullptr;
    record.thresholdResult = nullptr;
    record.versionBytes = record.identifyBytes = record.attributeBytes = record.thresholdBytes = 0;
    record.kind = DriveKind::Nvme;
    return true;
}

// The last way in (NT family only): the storage stack's temperature property, for a
// drive whose own protocol none of the other requests reached. Present when the property
// answers; the identity comes from the device descriptor.
bool ReadPropertyDrive(DriveRecord& record)
{
    SmartDevice& device = record.device;
    PropertyTemperature temperature;
    if (!device.IsOpen() || ActiveDiskControl().PlatformId() != kPlatformWindowsNT ||
        !QueryTemperatureProperty(device.Handle(), temperature)) {
        return false;
    }
    record.versionResult = nullptr;
    record.identifyResult = nullptr;
    record.attributeResult = nullptr;
    record.thresholdResult = nullptr;
    record.versionBytes = record.identifyBytes = record.attributeBytes = record.thresholdBytes = 0;
    record.kind = DriveKind::Property;
    record.propertyWarning = temperature.warning;
    record.propertyCritical = temperature.critical;
    record.currentTemperature = UsableTemperature(temperature.temperature);  // the first measurement's
    DeviceTexts texts;
    if (QueryDeviceTexts(device.Handle(), texts)) {
        ComposeModel(texts, record.model);
        std::snprintf(record.firmware, sizeof record.firmware, "%s", texts.revision);
        std::snprintf(record.serial, sizeof record.serial, "%s", texts.serial);
        record.propertyBusType = texts.busType;
    }
    std::uint64_t length = 0;
    if (record.nvme.ReadDiskLength(device.Handle(), length) && length != 0) {
        FormatCapacityBytes(length, record.capacityText);
    }
    std::snprintf(record.transferModeText, sizeof record.transferModeText, "%s", BusTypeName(record.propertyBusType));
    return true;
}

void FillNvmeIdentity(DriveRecord& record)
{
    const std::uint8_t* identify = record.nvmeIdentifyResult;
    CopyNvmeText(record.model, identify + kNvmeModelOffset, kNvmeModelLength);
    CopyNvmeText(record.firmware, identify + kNvmeFirmwareOffset, kNvmeFirmwareLength);
    CopyNvmeText(record.serial, identify + kNvmeSerialOffset, kNvmeSerialLength);
    std::uint64_t length = 0;
    if (NvmeCapacityReported(identify)) {
        FormatNvmeCapacity(identify, record.capacityText);
    } else if (record.nvme.ReadDiskLength(record.device.Handle(), length) && length != 0) {
        FormatCapacityBytes(length, record.capacityText);
    } else {
        record.capacityText[0] = '\0';  // no size known: show none rather than 0.00MB
    }
    std::snprintf(record.transferModeText, sizeof record.transferModeText, "%s", NvmeRouteMode(record.nvme.Route()));
}

// A drive's identity and first tables by the first way that reaches it, its temperature
// attribute and its worst value; false when no way does. The disk driver's S.M.A.R.T.
// requests first, then the NVMe queries, then a bridge's ATA PASS-THROUGH, last the
// storage temperature property: a drive the first way reaches is read as it always was.
bool ReadIdentity(DriveRecord& record)
{
    const bool ata = ReadDrive(record);
    if (!ata && ReadNvmeDrive(record)) {
        FillNvmeIdentity(record);
    } else if (ata || ReadSatDrive(record)) {
        record.kind = DriveKind::Ata;
        CopyIdString(record.model, record.identifyResult + kModelOffset, kModelLength);
        CopyIdString(record.firmware, record.identifyResult + kFirmwareOffset, kFirmwareLength);
        CopyIdString(record.serial, record.identifyResult + kSerialOffset, kSerialLength);
        FormatDriveIdentity(record);
        AskReturnStatus(record);  // with the first measurement's reading, which this read is
    } else if (ReadRoutedNvmeDrive(record)) {
        FillNvmeIdentity(record);
    } else if (!ReadPropertyDrive(record)) {
        return false;
    }
    // NVMe drives report their temperature in a standard field: no database entry.
    if (record.kind == DriveKind::Ata && record.temperatureAttributeId == 0) {
        LookupTemperatureAttribute(record.device.DriveNumber(), record);
    }
    LoadWorst(record);
    return true;
}

// Asked before anything else is sent: a drive that says it is spun down is listed by what
// the operating system knows of it (the device descriptor's product, revision and serial,
// the disk driver's length) and gets no IDENTIFY and no S.M.A.R.T. command. NVMe drives
// are read as always.
bool ListAsleep(DriveRecord& record)
{
    SmartDevice& device = record.device;
    if (!device.IsOpen()) {
        return false;
    }
    const bool nt = ActiveDiskControl().PlatformId() == kPlatformWindowsNT;
    DeviceTexts texts;
    const bool described = nt && QueryDeviceTexts(device.Handle(), texts);
    if (described && texts.busType == kBusTypeNvme) {
        return false;
    }
    if (AskPowerFirst(device, described && texts.busType == kBusTypeUsb) != PowerAnswer::SpunDown) {
        return false;
    }
    record.kind = DriveKind::Ata;
    record.sleeping = 1;
    ComposeModel(texts, record.model);
    std::snprintf(record.firmware, sizeof record.firmware, "%s", texts.revision);
    std::snprintf(record.serial, sizeof record.serial, "%s", texts.serial);
    std::uint64_t length = 0;
    if (nt && record.nvme.ReadDiskLength(device.Handle(), length) && length != 0) {
        FormatCapacityBytes(length, record.capacityText);
    }
    if (described) {
        std::snprintf(record.transferModeText, sizeof record.transferModeText, "%s", BusTypeName(texts.busType));
    }
    return true;
}

}  // namespace

std::uint32_t ProbeCountForPlatform(std::uint32_t platformId)
{
    return platformId == kPlatformWindowsNT ? kMaxDrives : 4;
}

std::uint32_t DetectProbeCount()
{
    return ProbeCountForPlatform(ActiveDiskControl().PlatformId());
}

void EnumerateDrives(DriveState& drives, bool askPowerFirst)
{
    const std::uint32_t probeCount = drives.probeCount < kMaxDrives ? drives.probeCount : kMaxDrives;
    drives.presentCount = 0;
    for (std::uint32_t i = 0; i < probeCount; ++i) {
        DriveRecord& record = drives.table[i];
        record.present = 0;
        record.returnStatus = ReturnStatus::NotAsked;
        record.returnStatusByPassThrough = 0;
        record.returnStatusRefused = 0;
        record.selfTests = SelfTestLog();
        record.selfTestsAsked = 0;
        record.gpDirectoryRead = 0;
        record.extendedSelfTestPages = 0;
        record.ticksSinceSelfTests = 0;
        drives.presentList[i] = kNoDrive;
        // A drive that fails keeps its device open (if it opened) until the table goes.
        record.device.Open(static_cast<std::uint8_t>(i));
        if (askPowerFirst && ListAsleep(record)) {
            record.identityPending = 1;
        } else if (!ReadIdentity(record)) {
            continue;
        }
        record.present = 1;
        record.enumerated = 1;
        drives.presentList[drives.presentCount] = i;
        ++drives.presentCount;
    }
}

bool CompleteIdentity(DriveRecord& record)
{
    if (record.identityPending == 0) {
        return true;
    }
    // Its own identity names its worst value: the key is right from here on.
    record.identityPending = 0;
    if (!ReadIdentity(record)) {
        record.identityPending = 1;
        return false;
    }
    return true;
}

std::uint64_t SectorCount(const std::uint8_t* identify)
{
    const auto little = [identify](unsigned offset, unsigned bytes) {
        std::uint64_t value = 0;
        for (unsigned b = bytes; b-- > 0;) {
            value = value << 8 | identify[offset + b];
        }
        return value;
    };
    // Words 60-61 stop at 2^28 - 1 sectors (137 GB); larger drives give the full count
    // in words 100-103 and say so in word 83.
    if ((identify[kCommandSetsOffset + 1] & kLba48HighByteBit) != 0) {
        const std::uint64_t lba48 = little(kLba48SectorCountOffset, 8);
        if (lba48 != 0) {
            return lba48;
        }
    }
    return little(kSectorCountOffset, 4);
}

void FormatCapacity(const std::uint8_t* identify, char (&text)[32])
{
    const std::uint64_t sectors = SectorCount(identify);
    // 1 MB = 2000 sectors of 512 bytes; each unit step divides by 1000.
    double size = static_cast<double>(sectors) * 0.0005;
    if (size < 1000.0) {
        std::snprintf(text, sizeof(text), "%.2fMB", size);
        return;
    }
    size *= 0.001;
    if (size < 1000.0) {
        std::snprintf(text, sizeof(text), "%.2fGB", size);
        return;
    }
    size *= 0.001;
    std::snprintf(text, sizeof(text), "%.2fTB", size);
}

void FormatTransferMode(const std::uint8_t* identify, char (&text)[32])
{
    if (identify[kSingleWordDmaSelected] != 0) {
        std::snprintf(text, sizeof(text), "SingleWordDMA-%u", LowestSetBit(identify[kSingleWordDmaSelected]));
    } else if (identify[kMultiWordDmaSelected] != 0) {
        std::snprintf(text, sizeof(text), "MultiWordDMA-%u", LowestSetBit(identify[kMultiWordDmaSelected]));
    } else if (identify[kUltraDmaSelected] != 0) {
        std::snprintf(text, sizeof(text), "UltraDMA-%u", LowestSetBit(identify[kUltraDmaSelected]));
    } else {
        std::snprintf(text, sizeof(text), "PIO Mode");
    }
}

void FormatDriveIdentity(DriveRecord& record)
{
    if (record.identifyResult == nullptr) {
        return;
    }
    FormatCapacity(record.identifyResult, record.capacityText);
    FormatTransferMode(record.identifyResult, record.transferModeText);
}

unsigned LowestSetBit(std::uint8_t b)
{
    for (unsigned n = 0; n < 8; ++n) {
        if ((b >> n) & 1u) {
            return n;
        }
    }
    return 0;
}
