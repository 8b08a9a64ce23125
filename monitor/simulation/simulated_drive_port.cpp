#include "simulated_drive_port.h"

#include "ata_records.h"
#include "disk_control.h"
#include "nvme_device.h"
#include "self_test_log.h"

#include <cstdio>
#include <cstring>

namespace {
constexpr std::uint32_t kSector = 512;
constexpr std::uint32_t kHealthLogCdw10 = (512 / 4 - 1) << 16 | 0x02;

bool BehindUsbNvmeBridge(const SimulatedDrive& drive)
{
    std::string vendor;
    std::string product;
    return drive.nvme && BridgeInquiry(drive.via, vendor, product);
}

DriveSet BridgeSet(const DriveSet& set)
{
    DriveSet copy = set;
    copy.platformId = kPlatformWindowsNT;
    copy.countsFile.clear();
    return copy;
}
}  // namespace

SimulatedDrivePort::SimulatedDrivePort(const DriveSet& set)
    : set_(set), bridges_(std::make_unique<SimulatedDiskBus>(BridgeSet(set)))
{
    bridges_->RecordRequests(false);
}

SimulatedDrivePort::~SimulatedDrivePort()
{
    for (HANDLE handle : bridgeHandles_) {
        if (handle != nullptr) {
            bridges_->Close(handle);
        }
    }
}

int SimulatedDrivePort::Open(unsigned number, DriveProtocol& protocol)
{
    if (number >= kSimulatedDriveSlots || !set_.drives[number].installed || refuseOpen_[number]) {
        return -1;
    }
    const SimulatedDrive& drive = set_.drives[number];
    protocol = drive.nvme && !BehindUsbNvmeBridge(drive) ? DriveProtocol::Nvme : DriveProtocol::Ata;
    return kFirstDescriptor + static_cast<int>(number);
}

bool SimulatedDrivePort::Bridge(int descriptor, const BridgeStep& step, std::uint8_t* data)
{
    SimulatedDrive* drive = DriveOf(descriptor);
    if (drive == nullptr || data == nullptr || step.length > kNvmeIdentifySize) {
        return false;
    }
    if (recording_) {
        steps_.push_back(step);
    }
    const unsigned number = static_cast<unsigned>(descriptor - kFirstDescriptor);
    if (bridgeHandles_[number] == nullptr) {
        char name[32];
        std::snprintf(name, sizeof name, "\\\\.\\PHYSICALDRIVE%u", number);
        const HANDLE handle = bridges_->Open(name, kAccessReadWrite, kShareReadWrite, kOpenExisting);
        if (handle == INVALID_HANDLE_VALUE) {
            return false;
        }
        bridgeHandles_[number] = handle;
    }
    // The record NvmeDevice hands the Windows driver, answered by the simulated bridge.
    BridgePassThroughBlock block{};
    block.header.Length = sizeof block.header;
    block.header.CdbLength = step.cdbLength;
    std::memcpy(block.header.Cdb, step.cdb, sizeof block.header.Cdb);
    block.header.SenseInfoLength = sizeof block.sense;
    block.header.DataIn = step.direction == BridgeDirection::In    ? kScsiDataIn
                          : step.direction == BridgeDirection::Out ? kScsiDataOut
                                                                   : kScsiDataUnspecified;
    block.header.DataTransferLength = step.length;
    block.header.DataBufferOffset = offsetof(BridgePassThroughBlock, data);
    block.header.SenseInfoOffset = offsetof(BridgePassThroughBlock, sense);
    if (step.direction == BridgeDirection::Out) {
        std::memcpy(block.data, data, step.length);
    }
    DWORD returned = 0;
    if (!bridges_->Request(bridgeHandles_[number], kIoctlScsiPassThrough, &block, sizeof block, &block, sizeof block,
                           &returned) ||
        block.header.ScsiStatus != kScsiStatusGood) {
        return false;
    }
    if (step.direction == BridgeDirection::In) {
        if (block.header.DataTransferLength != step.length) {
            return false;
        }
        std::memcpy(data, block.data, step.length);
    }
    return true;
}

SimulatedDrive* SimulatedDrivePort::DriveOf(int descriptor)
{
    const int number = descriptor - kFirstDescriptor;
    return number >= 0 && number < static_cast<int>(kSimulatedDriveSlots) ? &set_.drives[number] : nullptr;
}

void SimulatedDrivePort::Record(const Sent& sent)
{
    if (recording_) {
        sent_.push_back(sent);
    }
}

bool SimulatedDrivePort::Ata(int descriptor, const AtaTaskfile& r, std::uint8_t* data, std::uint32_t dataSize,
                             AtaRegisters* returned)
{
    SimulatedDrive* drive = DriveOf(descriptor);
    if (drive == nullptr || drive->nvme) {
        return false;
    }
    const unsigned number = static_cast<unsigned>(descriptor - kFirstDescriptor);
    Record({number, false, r, {}, dataSize});
    if (r.command == kAtaCheckPowerMode && dataSize == 0) {
        ++powerChecks_[number];
        WriteCounts();
        if (!drive->answersCheckPower) {
            return false;
        }
        if (returned != nullptr) {
            *returned = AtaRegisters{};
            returned->status = 0x50;  // DRDY, DSC
            returned->sectorCount = Asleep(number) ? 0x00 : powerMode_[number];
        }
        return true;
    }
    ++commands_[number];
    if (Asleep(number)) {
        ++commandsAsleep_[number];  // a real drive would have spun up for it
    }
    WriteCounts();
    const std::uint8_t* sector = nullptr;
    std::uint32_t attributeRead = 0;
    std::uint8_t directory[kSector];
    if (r.command == 0xEC && r.sectorCount == 1) {
        sector = drive->identify;
    } else if (r.command == kAtaReadLogExt && r.extend && r.sectorCount == 1 && r.sectorCountHigh == 0) {
        sector = drive->GpLogPage(r.lbaLow, r.lbaMid | r.lbaMidHigh << 8, directory);
    } else if (r.command == 0xB0 && r.lbaMid == 0x4F && r.lbaHigh == 0xC2) {
        if (r.features == 0xD8 && dataSize == 0) {
            return true;
        }
        if (r.features == 0xD4 && dataSize == 0) {
            // EXECUTE OFF-LINE IMMEDIATE: a short or extended self-test starts.
            const bool test = drive->StartSelfTest(r.lbaLow);
            if (test) {
                ++selfTestsStarted_[number];
                WriteCounts();
            }
            return test;
        }
        if (r.features == 0xDA && dataSize == 0) {
            const SimulatedDrive::Status status = drive->ReturnStatusAt(++statusAsks_[number]);
            if (status == SimulatedDrive::Status::Refused) {
                return false;
            }
            if (returned != nullptr) {
                *returned = ReturnStatusRegisters(status);
            }
            return true;
        }
        sector = r.features == 0xD0 ? drive->smartData : r.features == 0xD1 ? drive->thresholds : nullptr;
        if (r.features == 0xD5 && r.lbaLow == 0x06 && r.sectorCount == 1 && drive->logsSelfTests) {
            sector = drive->selfTestLog;  // SMART READ LOG of the self-test log
        }
        // "fail attributes from N": the Nth attribute read and every later one fail.
        attributeRead = r.features == 0xD0 ? ++attributeReads_[descriptor - kFirstDescriptor] : 0;
        if (drive->fail.attributesFrom != 0 && attributeRead >= drive->fail.attributesFrom) {
            return false;
        }
    }
    // A SATA port has one device: the slave-select bit must be clear.
    if (sector == nullptr || dataSize != kSector || (r.device & 0x10) != 0) {
        return false;
    }
    if (sector == drive->smartData) {
        drive->StepAttributes(attributeRead);
    }
    std::memcpy(data, sector, kSector);
    return true;
}

bool SimulatedDrivePort::NvmeAdmin(int descriptor, const NvmeAdminCommand& c, std::uint8_t* data,
                                   std::uint32_t dataSize)
{
    SimulatedDrive* drive = DriveOf(descriptor);
    if (drive == nullptr || !drive->nvme) {
        return false;
    }
    Record({static_cast<unsigned>(descriptor - kFirstDescriptor), true, {}, c, dataSize});
    if (c.opcode == kNvmeAdminIdentify && c.cdw10 == 1 && c.namespaceId == 0 && dataSize == kNvmeIdentifySize) {
        std::memcpy(data, drive->nvmeIdentify, kNvmeIdentifySize);
        return true;
    }
    if (c.opcode == kNvmeAdminGetLogPage && c.cdw10 == (kNvmeSelfTestLogId | (kNvmeSelfTestLogSize / 4 - 1) << 16) &&
        dataSize == kNvmeSelfTestLogSize && (drive->nvmeIdentify[kNvmeOacsOffset] & kNvmeOacsSelfTest) != 0) {
        std::memcpy(data, drive->nvmeSelfTestLog, kNvmeSelfTestLogSize);
        return true;
    }
    if (c.opcode == kNvmeAdminDeviceSelfTest && c.namespaceId == kNvmeAllNamespaces && dataSize == 0 &&
        data == nullptr) {
        const unsigned number = static_cast<unsigned>(descriptor - kFirstDescriptor);
        const bool started = drive->StartNvmeSelfTest(c.cdw10);
        selfTestsStarted_[number] += started ? 1 : 0;
        WriteCounts();
        return started;
    }
    if (c.opcode == kNvmeAdminGetLogPage && c.namespaceId == kNvmeAllNamespaces && c.cdw10 == kHealthLogCdw10 &&
        dataSize == kNvmeHealthSize) {
        drive->StepHealth(++healthReads_[descriptor - kFirstDescriptor]);
        std::memcpy(data, drive->health, kNvmeHealthSize);
        return true;
    }
    return false;
}

bool SimulatedDrivePort::Length(int, std::uint64_t& bytes)
{
    bytes = length_;
    return length_ != 0;
}

bool SimulatedDrivePort::Asleep(unsigned number) const
{
    return number < kSimulatedDriveSlots && set_.drives[number].AsleepAfter(powerChecks_[number]);
}

void SimulatedDrivePort::WriteCounts() const
{
    if (set_.countsFile.empty()) {
        return;
    }
    std::string text;
    for (unsigned n = 0; n < kSimulatedDriveSlots; ++n) {
        if (set_.drives[n].installed) {
            text += CountsLine(n, commands_[n], commandsAsleep_[n], powerChecks_[n], Asleep(n));
            if (selfTestsStarted_[n] != 0) {
                text.insert(text.size() - 1, " selftests " + std::to_string(selfTestsStarted_[n]));
            }
        }
    }
    WriteCountsFile(set_.countsFile, text + "end\n");
}

bool SimulatedDrivePort::Describe(unsigned number, DriveDescription& description) const
{
    if (number >= kSimulatedDriveSlots || !set_.drives[number].installed) {
        return false;
    }
    const SimulatedDrive& drive = set_.drives[number];
    if (BehindUsbNvmeBridge(drive)) {
        description.usb = true;
        return BridgeInquiry(drive.via, description.vendor, description.model);
    }
    if (drive.nvme) {
        return false;
    }
    ScsiStyleIdentity(drive, description.vendor, description.model, description.revision, description.serial);
    description.usb = drive.bridge != SimulatedBridge::None;
    return true;
}
