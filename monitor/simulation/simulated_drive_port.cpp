#include "simulated_drive_port.h"

#include "ata_records.h"

#include <cstring>

namespace {
constexpr std::uint32_t kSector = 512;
constexpr std::uint32_t kHealthLogCdw10 = (512 / 4 - 1) << 16 | 0x02;
}  // namespace

int SimulatedDrivePort::Open(unsigned number, DriveProtocol& protocol)
{
    if (number >= kSimulatedDriveSlots || !set_.drives[number].installed || refuseOpen_[number]) {
        return -1;
    }
    protocol = set_.drives[number].nvme ? DriveProtocol::Nvme : DriveProtocol::Ata;
    return kFirstDescriptor + static_cast<int>(number);
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
    if (r.command == 0xEC && r.sectorCount == 1) {
        sector = drive->identify;
    } else if (r.command == 0xB0 && r.lbaMid == 0x4F && r.lbaHigh == 0xC2) {
        if (r.features == 0xD8 && dataSize == 0) {
            return true;
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
        }
    }
    WriteCountsFile(set_.countsFile, text + "end\n");
}

bool SimulatedDrivePort::Describe(unsigned number, DriveDescription& description) const
{
    if (number >= kSimulatedDriveSlots || !set_.drives[number].installed || set_.drives[number].nvme) {
        return false;
    }
    ScsiStyleIdentity(set_.drives[number], description.vendor, description.model, description.revision,
                      description.serial);
    return true;
}
