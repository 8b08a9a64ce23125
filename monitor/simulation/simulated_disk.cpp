#include "simulated_disk.h"

#include "nvme_pages.h"

#include "drive_enumeration.h"
#include "identity_text.h"
#include "intel_rst_nvme.h"
#include "sat_passthrough.h"
#include "self_test_log.h"
#include "storage_temperature.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace {

constexpr char kSmartVsdName[] = "\\\\.\\SMARTVSD";
// What an open handle reaches: one drive number, the 9x driver (every drive, chosen by
// bDriveNumber), or nothing.
constexpr int kEveryDrive = -1;
constexpr int kNoDevice = -2;
constexpr int kRstController = -3;  // "\\.\Scsi1:", the RST controller
constexpr char kRstControllerName[] = "\\\\.\\Scsi1:";
constexpr char kPhysicalDrivePrefix[] = "\\\\.\\PHYSICALDRIVE";

// DRIVERSTATUS.bDriverError / bIDEError of a command the drive aborted.
constexpr BYTE kDriverIdeError = 1;  // SMART_IDE_ERROR
constexpr BYTE kAtaAbort = 0x04;

void PutWord(std::uint8_t* sector, unsigned word, std::uint16_t value)
{
    sector[2 * word] = static_cast<std::uint8_t>(value & 0xFF);
    sector[2 * word + 1] = static_cast<std::uint8_t>(value >> 8);
}

std::uint16_t GetWord(const std::uint8_t* sector, unsigned word)
{
    return static_cast<std::uint16_t>(sector[2 * word] | (sector[2 * word + 1] << 8));
}

// ATA strings: space-padded, two characters per word, the first in the high byte.
void PutAtaString(std::uint8_t* sector, unsigned firstWord, unsigned words, const char* text)
{
    const std::size_t length = text != nullptr ? std::strlen(text) : 0;
    for (unsigned i = 0; i < words * 2; ++i) {
        const char c = i < length ? text[i] : ' ';
        sector[2 * firstWord + (i ^ 1)] = static_cast<std::uint8_t>(c);
    }
}

// An ATA string of the identify sector as plain text, without its padding.
std::string IdentifyText(const std::uint8_t* sector, unsigned firstWord, unsigned words)
{
    char text[64] = {};
    CopyIdString(text, sector + 2 * firstWord, static_cast<std::uint16_t>(2 * words));
    return text;
}

// A space-padded field of the NVMe identify page as plain text.
std::string NvmeText(const std::uint8_t* page, unsigned offset, unsigned length)
{
    char text[64] = {};
    CopyNvmeText(text, page + offset, static_cast<std::uint16_t>(length));
    return text;
}

std::uint8_t* FindEntry(std::uint8_t* sector, std::uint8_t id)
{
    std::uint8_t* table = sector + kSmartTableOffset;
    for (unsigned i = 0; i < kSmartEntryCount; ++i) {
        if (table[i * kSmartEntrySize] == id) {
            return table + i * kSmartEntrySize;
        }
    }
    return nullptr;
}

// The entry for `id`, or the first free one (id 0) to hold it.
std::uint8_t* EntryFor(std::uint8_t* sector, std::uint8_t id)
{
    std::uint8_t* entry = FindEntry(sector, id);
    return entry != nullptr ? entry : FindEntry(sector, 0);
}

std::uint8_t ModeBit(int mode)
{
    return mode >= 0 && mode <= 7 ? static_cast<std::uint8_t>(1u << mode) : 0;
}

// Supported modes: every mode up to the selected one (at least the usual set).
std::uint8_t SupportedUpTo(int mode, std::uint8_t usual)
{
    const std::uint8_t upTo = mode >= 0 && mode <= 7 ? static_cast<std::uint8_t>((2u << mode) - 1) : 0;
    return static_cast<std::uint8_t>(upTo | usual);
}

void PutLittleEndian(std::uint8_t* at, unsigned size, std::uint64_t value)
{
    for (unsigned i = 0; i < size; ++i) {
        at[i] = static_cast<std::uint8_t>(i < 8 ? value >> (8 * i) : 0);
    }
}

std::uint32_t GetDword(const std::uint8_t* at)
{
    return static_cast<std::uint32_t>(at[0] | at[1] << 8 | at[2] << 16) | static_cast<std::uint32_t>(at[3]) << 24;
}

constexpr unsigned kQueryParameters = offsetof(STORAGE_PROPERTY_QUERY, AdditionalParameters);
constexpr DWORD kBusTypeAtapi = 0x02;

// Sense data a bridge returns: descriptor format with the ATA Status Return descriptor
// (left out by bridges that drop it), or fixed format for a command block it does not know.
DWORD PutAtaSense(std::uint8_t* sense, std::uint8_t key, std::uint8_t ascq, std::uint8_t status,
                  std::uint8_t error, bool withRegisters, std::uint8_t count = 0, std::uint8_t lbaMid = 0,
                  std::uint8_t lbaHigh = 0)
{
    const std::uint8_t header[8] = {0x72, key, 0x00, ascq, 0, 0, 0, static_cast<std::uint8_t>(withRegisters ? 14 : 0)};
    std::memcpy(sense, header, sizeof header);
    if (!withRegisters) {
        return 8;
    }
    // The ATA Status Return descriptor: the count's low byte sits at byte 5.
    const std::uint8_t descriptor[14] = {0x09, 0x0C, 0, error, 0, count, 0, 0, 0, lbaMid, 0, lbaHigh, 0xA0, status};
    std::memcpy(sense + 8, descriptor, sizeof descriptor);
    return 22;
}

// Whether an ATA pass-through record carries S.M.A.R.T. RETURN STATUS.
bool PassThroughReturnStatus(const std::uint8_t* in, DWORD inSize)
{
    if (in == nullptr || inSize < kAtaPassThroughSize) {
        return false;
    }
    const std::uint8_t* task = in + offsetof(ATA_PASS_THROUGH_EX, CurrentTaskFile);
    return task[kTaskCommand] == kAtaSmart && task[kTaskFeatures] == kSmartReturnStatus;
}

// Whether an ATA pass-through record carries READ LOG EXT: a read that would wake the drive.
bool PassThroughReadLogExt(const std::uint8_t* in, DWORD inSize)
{
    return in != nullptr && inSize >= kAtaPassThroughSize &&
           in[offsetof(ATA_PASS_THROUGH_EX, CurrentTaskFile) + kTaskCommand] == kAtaReadLogExt;
}

// Whether a SCSI pass-through record carries CHECK POWER MODE in either block form.
bool BridgedPowerCheck(const std::uint8_t* in, DWORD inSize)
{
    if (in == nullptr || inSize < sizeof(SCSI_PASS_THROUGH)) {
        return false;
    }
    SCSI_PASS_THROUGH header;
    std::memcpy(&header, in, sizeof header);
    const std::uint8_t* cdb = header.Cdb;
    return (header.CdbLength == 16 && cdb[0] == kSatOpcode16 && cdb[14] == kAtaCheckPowerMode) ||
           (header.CdbLength == 12 && cdb[0] == kSatOpcode12 && cdb[9] == kAtaCheckPowerMode);
}

DWORD PutUnknownCommandSense(std::uint8_t* sense)
{
    const std::uint8_t fixed[18] = {0x70, 0, 0x05, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x20, 0x00, 0, 0, 0, 0};
    std::memcpy(sense, fixed, sizeof fixed);
    return sizeof fixed;
}

}  // namespace

void SealSector(std::uint8_t* sector)
{
    unsigned sum = 0;
    for (unsigned i = 0; i + 1 < kSmartSectorSize; ++i) {
        sum += sector[i];
    }
    sector[kSmartSectorSize - 1] = static_cast<std::uint8_t>(0x100 - (sum & 0xFF));
}

void SimulatedDrive::Install(unsigned number)
{
    *this = SimulatedDrive{};
    installed = true;

    PutWord(identify, 0, 0x0040);   // fixed disk
    PutWord(identify, 1, 16383);    // default cylinders
    PutWord(identify, 3, 16);       // heads
    PutWord(identify, 6, 63);       // sectors per track
    PutWord(identify, 47, 0x8010);  // READ/WRITE MULTIPLE, 16 sectors
    PutWord(identify, 49, 0x0F00);  // LBA, DMA, IORDY
    PutWord(identify, 53, 0x0007);  // words 54-58, 64-70 and 88 are valid
    PutWord(identify, 80, 0x007E);  // ATA-1 to ATA-6
    PutWord(identify, 82, 0x346B);  // S.M.A.R.T. among the supported command sets
    PutWord(identify, 83, 0x4000);
    PutWord(identify, 84, 0x4000);
    PutWord(identify, 85, 0x3469);  // S.M.A.R.T. enabled
    PutWord(identify, 86, 0x0000);
    PutWord(identify, 87, 0x4000);
    char serial[21];
    std::snprintf(serial, sizeof(serial), "SIM%08u", number);
    SetSerial(serial);
    SetFirmware("1.00");
    SetModel("KELVIX SIMULATED DISK");
    SetSectorCount(156301488);
    SetDmaModes(-1, -1, 5);
    PutWord(identify, 255, 0x00A5);  // integrity word: signature, checksum in the high byte

    // S.M.A.R.T. data: structure revision 16, no attributes yet; offline and
    // self-test capabilities as common drives report them.
    PutWord(smartData, 0, 0x0010);
    smartData[362] = 0x82;
    smartData[368] = 0x5B;
    PutWord(smartData, 184, 0x0003);
    PutWord(thresholds, 0, 0x0010);
    SealSectors();
}

void SimulatedDrive::SetModel(const char* text)
{
    PutAtaString(identify, 27, 20, text);
}

void SimulatedDrive::SetFirmware(const char* text)
{
    PutAtaString(identify, 23, 4, text);
}

void SimulatedDrive::SetSerial(const char* text)
{
    PutAtaString(identify, 10, 10, text);
}

void SimulatedDrive::SetSectorCount(std::uint64_t sectors)
{
    // Words 60-61 hold at most the 28-bit count; larger drives put the full count into
    // words 100-103 and flag the 48-bit feature set.
    const std::uint32_t lba28 = static_cast<std::uint32_t>(std::min<std::uint64_t>(sectors, 0x0FFFFFFF));
    PutWord(identify, 60, static_cast<std::uint16_t>(lba28 & 0xFFFF));
    PutWord(identify, 61, static_cast<std::uint16_t>(lba28 >> 16));
    for (unsigned w = 0; w < 4; ++w) {
        PutWord(identify, 100 + w, static_cast<std::uint16_t>(sectors >> (16 * w)));
    }
    std::uint16_t w83 = GetWord(identify, 83);
    std::uint16_t w86 = GetWord(identify, 86);
    if (sectors > 0x0FFFFFFF) {
        w83 |= 0x0400;
        w86 |= 0x0400;
    } else {
        w83 &= static_cast<std::uint16_t>(~0x0400);
        w86 &= static_cast<std::uint16_t>(~0x0400);
    }
    PutWord(identify, 83, w83);
    PutWord(identify, 86, w86);
}

// Words 62, 63 and 88: low byte the modes supported, high byte the mode selected.
void SimulatedDrive::SetSingleWordDma(int mode)
{
    identify[124] = mode >= 0 ? SupportedUpTo(mode, 0) : 0;
    identify[125] = ModeBit(mode);
}

void SimulatedDrive::SetMultiWordDma(int mode)
{
    identify[126] = SupportedUpTo(mode, 0x07);
    identify[127] = ModeBit(mode);
}

void SimulatedDrive::SetUltraDma(int mode)
{
    identify[176] = SupportedUpTo(mode, 0x1F);
    identify[177] = ModeBit(mode);
}

void SimulatedDrive::SetDmaModes(int singleWord, int multiWord, int ultra)
{
    SetSingleWordDma(singleWord);
    SetMultiWordDma(multiWord);
    SetUltraDma(ultra);
}

void SimulatedDrive::SetAtapi(bool on)
{
    atapi = on;
    PutWord(identify, 0, on ? 0x85C0 : 0x0040);  // CD-ROM, removable / fixed disk
}

bool SimulatedDrive::SetAttribute(std::uint8_t id, std::uint16_t flags, std::uint8_t value,
                                  std::uint8_t worst, const std::uint8_t raw[6])
{
    std::uint8_t* entry = EntryFor(smartData, id);
    if (entry == nullptr) {
        return false;
    }
    entry[0] = id;
    entry[1] = static_cast<std::uint8_t>(flags & 0xFF);
    entry[2] = static_cast<std::uint8_t>(flags >> 8);
    entry[3] = value;
    entry[4] = worst;
    std::memcpy(entry + kSmartRawOffset, raw, kSmartRawSize);
    entry[11] = 0;
    return true;
}

bool SimulatedDrive::SetThreshold(std::uint8_t id, std::uint8_t value)
{
    std::uint8_t* entry = EntryFor(thresholds, id);
    if (entry == nullptr) {
        return false;
    }
    std::memset(entry, 0, kSmartEntrySize);
    entry[0] = id;
    entry[1] = value;
    return true;
}

bool SimulatedDrive::SetTemperatures(std::uint8_t id, const std::vector<std::uint8_t>& values)
{
    if (FindEntry(smartData, id) == nullptr) {
        const std::uint8_t raw[6] = {values.empty() ? std::uint8_t{0} : values.front(), 0, 0, 0, 0, 0};
        if (!SetAttribute(id, 0x0022, 100, 100, raw)) {
            return false;
        }
    }
    temperatureId = id;
    temperatures = values;
    return true;
}

SimulatedDrive::Status SimulatedDrive::ReturnStatusAt(std::uint32_t ask) const
{
    if (returnStatuses.empty()) {
        return Status::Passed;
    }
    return returnStatuses[ask == 0 ? 0 : std::min<std::size_t>(ask, returnStatuses.size()) - 1];
}

AtaRegisters ReturnStatusRegisters(SimulatedDrive::Status status)
{
    AtaRegisters registers;
    registers.status = 0x50;  // ready, seek complete
    const bool failing = status == SimulatedDrive::Status::Failing;
    registers.lbaMid = failing ? 0xF4 : kSmartCylLow;
    registers.lbaHigh = failing ? 0x2C : kSmartCylHigh;
    return registers;
}

void SimulatedDrive::StepAttributes(std::uint32_t read)
{
    if (read == 0) {
        return;
    }
    // The checksum moves by what the values moved, so a sector made with a wrong one
    // keeps it wrong.
    const auto sum = [this] {
        unsigned total = 0;
        for (unsigned i = 0; i + 1 < kSmartSectorSize; ++i) {
            total += smartData[i];
        }
        return total;
    };
    const unsigned before = sum();
    if (!temperatures.empty()) {
        std::uint8_t* entry = FindEntry(smartData, temperatureId);
        if (entry != nullptr) {
            entry[kSmartRawOffset] = temperatures[(read - 1) % temperatures.size()];
        }
    }
    for (const AttributeSeries& series : attributeSeries) {
        std::uint8_t* entry = FindEntry(smartData, series.id);
        if (entry == nullptr || series.values.empty()) {
            continue;
        }
        const std::uint64_t value = series.values[std::min<std::size_t>(read, series.values.size()) - 1];
        if (series.normalised) {
            entry[3] = static_cast<std::uint8_t>(value);
            entry[4] = std::min(entry[4], entry[3]);  // the worst value follows it down
        } else {
            PutLittleEndian(entry + kSmartRawOffset, kSmartRawSize, value);
        }
    }
    StepSelfTest();
    smartData[kSmartSectorSize - 1] = static_cast<std::uint8_t>(smartData[kSmartSectorSize - 1] + before - sum());
}

void SimulatedDrive::StepHealth(std::uint32_t read)
{
    if (read == 0) {
        return;
    }
    StepNvmeSelfTest();
    if (!healthKelvins.empty()) {
        PutLittleEndian(health + kHealthCompositeTempOffset, 2, healthKelvins[(read - 1) % healthKelvins.size()]);
    }
    for (const HealthSeries& series : healthSeries) {
        if (!series.values.empty()) {
            SetHealthField(series.offset, series.size,
                           series.values[std::min<std::size_t>(read, series.values.size()) - 1]);
        }
    }
}

void SimulatedDrive::SealSectors()
{
    SealSector(identify);
    SealSector(smartData);
    SealSector(thresholds);
}

void SimulatedDrive::MakeNvme(unsigned number)
{
    nvme = true;
    atapi = false;
    PutLittleEndian(nvmeIdentify, 2, 0x144D);      // PCI vendor id
    PutLittleEndian(nvmeIdentify + 2, 2, 0x144D);  // subsystem vendor id
    char serial[21];
    std::snprintf(serial, sizeof(serial), "SIMNVME%08u", number);
    SetNvmeText(kNvmeSerialOffset, kNvmeSerialLength, serial);
    SetNvmeText(kNvmeModelOffset, kNvmeModelLength, "KELVIX SIMULATED NVME");
    SetNvmeText(kNvmeFirmwareOffset, kNvmeFirmwareLength, "1.00");
    PutLittleEndian(nvmeIdentify + kNvmeVersionOffset, 4, 0x00010400);
    PutLittleEndian(nvmeIdentify + kNvmeWarningTempOffset, 2, 343);
    PutLittleEndian(nvmeIdentify + kNvmeCriticalTempOffset, 2, 358);
    SetNvmeCapacity(512110190592ull);
    nvmeIdentify[516] = 1;  // number of namespaces
    health[kHealthCompositeTempOffset] = 0;
    PutLittleEndian(health + kHealthCompositeTempOffset, 2, 308);
    health[3] = 100;  // available spare, %
    health[4] = 10;   // its threshold
}

void SimulatedDrive::SetNvmeText(unsigned offset, unsigned length, const char* text)
{
    const std::size_t size = text != nullptr ? std::strlen(text) : 0;
    for (unsigned i = 0; i < length; ++i) {
        nvmeIdentify[offset + i] = static_cast<std::uint8_t>(i < size ? text[i] : ' ');
    }
}

void SimulatedDrive::SetNvmeCapacity(std::uint64_t bytes)
{
    PutLittleEndian(nvmeIdentify + kNvmeTotalCapacityOffset, 16, bytes);
    diskLength = bytes;
}

void SimulatedDrive::SetHealthField(unsigned offset, unsigned size, std::uint64_t value)
{
    if (offset < kNvmeHealthSize && size <= kNvmeHealthSize - offset) {
        PutLittleEndian(health + offset, size, value);
    }
}

SimulatedDiskBus::SimulatedDiskBus(const DriveSet& set) : set_(set) {}

HANDLE SimulatedDiskBus::Open(const char* name, DWORD access, DWORD share, DWORD creation)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    ++openCount_;
    if (name == nullptr) {
        return INVALID_HANDLE_VALUE;
    }
    int drive = kNoDevice;
    if (set_.platformId == kPlatformWindows9x && std::strcmp(name, kSmartVsdName) == 0 &&
        creation == kCreateNew) {
        drive = kEveryDrive;
    } else if (set_.platformId == kPlatformWindowsNT && creation == kOpenExisting &&
               (access & kAccessReadWrite) == kAccessReadWrite &&
               std::strncmp(name, kPhysicalDrivePrefix, sizeof(kPhysicalDrivePrefix) - 1) == 0) {
        const char* digits = name + sizeof(kPhysicalDrivePrefix) - 1;
        unsigned number = 0;
        int count = 0;
        while (digits[count] >= '0' && digits[count] <= '9' && count < 3) {
            number = number * 10 + static_cast<unsigned>(digits[count] - '0');
            ++count;
        }
        if (count > 0 && digits[count] == '\0' && number < kSimulatedDriveSlots &&
            set_.drives[number].installed && !set_.drives[number].fail.open) {
            drive = static_cast<int>(number);
        }
    }
    if (set_.platformId == kPlatformWindowsNT && std::strcmp(name, kRstControllerName) == 0 &&
        creation == kOpenExisting) {
        for (const SimulatedDrive& d : set_.drives) {
            drive = d.installed && d.nvme && d.via == SimulatedNvmeVia::IntelRst ? kRstController : drive;
        }
    }
    if (recording_) {
        opens_.push_back(SimulatedOpen{name, access, share, creation, drive != kNoDevice});
    }
    if (drive == kNoDevice) {
        return INVALID_HANDLE_VALUE;
    }
    nextHandle_ += 4;
    HANDLE handle = reinterpret_cast<HANDLE>(nextHandle_);
    open_.push_back(OpenDevice{handle, drive});
    return handle;
}

void SimulatedDiskBus::Close(HANDLE handle)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    ++closeCount_;
    open_.erase(std::remove_if(open_.begin(), open_.end(),
                               [handle](const OpenDevice& d) { return d.handle == handle; }),
                open_.end());
}

const SimulatedDiskBus::OpenDevice* SimulatedDiskBus::Find(HANDLE handle) const
{
    for (const OpenDevice& device : open_) {
        if (device.handle == handle) {
            return &device;
        }
    }
    return nullptr;
}

unsigned SimulatedDiskBus::OpenHandles() const
{
    return static_cast<unsigned>(open_.size());
}

std::uint64_t SimulatedDiskBus::RequestCount(DWORD code) const
{
    switch (code) {
    case kSmartGetVersion:
        return versionCount_;
    case kSmartSendDriveCommand:
        return sendCount_;
    case kSmartRcvDriveData:
        return receiveCount_;
    case kIoctlStorageQueryProperty:
        return storageQueryCount_;
    case kIoctlDiskGetLengthInfo:
        return diskLengthCount_;
    case kIoctlScsiPassThrough:
        return passThroughCount_;
    case kIoctlAtaPassThrough:
        return ataPassThroughCount_;
    default:
        return 0;
    }
}

void SimulatedDiskBus::ClearLog()
{
    requests_.clear();
    opens_.clear();
    requestCount_ = versionCount_ = sendCount_ = receiveCount_ = storageQueryCount_ = diskLengthCount_ = 0;
    passThroughCount_ = ataPassThroughCount_ = 0;
    openCount_ = closeCount_ = 0;
}

std::uint8_t SimulatedDiskBus::DeviceMap() const
{
    // Bits 0-3: an ATA device at drive numbers 0-3; bits 4-7: an ATAPI device there.
    std::uint8_t map = 0;
    for (unsigned n = 0; n < 4; ++n) {
        if (set_.drives[n].installed && !set_.drives[n].nvme) {
            map |= static_cast<std::uint8_t>((set_.drives[n].atapi ? 0x10u : 0x01u) << n);
        }
    }
    return map;
}

bool SimulatedDiskBus::Request(HANDLE handle, DWORD code, const void* in, DWORD inSize, void* out,
                               DWORD outSize, DWORD* bytesReturned)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    const std::uint8_t* input = static_cast<const std::uint8_t*>(in);
    SimulatedRequest record;
    record.code = code;
    record.inSize = inSize;
    record.outSize = outSize;
    if (input != nullptr) {
        std::memcpy(record.record, input, std::min<DWORD>(inSize, kSmartRequestSize));
    }

    ++requestCount_;
    if (code == kSmartGetVersion) {
        ++versionCount_;
    } else if (code == kSmartSendDriveCommand) {
        ++sendCount_;
    } else if (code == kSmartRcvDriveData) {
        ++receiveCount_;
    } else if (code == kIoctlStorageQueryProperty) {
        ++storageQueryCount_;
    } else if (code == kIoctlDiskGetLengthInfo) {
        ++diskLengthCount_;
    } else if (code == kIoctlScsiPassThrough) {
        ++passThroughCount_;
        if (input != nullptr && inSize >= sizeof(SCSI_PASS_THROUGH)) {
            record.opcode = input[offsetof(SCSI_PASS_THROUGH, Cdb)];
        }
    } else if (code == kIoctlAtaPassThrough) {
        ++ataPassThroughCount_;
    }

    DWORD returned = 0;
    bool ok = false;
    const OpenDevice* device = Find(handle);
    if (device != nullptr) {
        int drive = device->drive;
        // Through a bridge the drive gets the same ATA commands as directly: they count too,
        // all but the power question.
        const bool bridgedPowerCheck = code == kIoctlScsiPassThrough && BridgedPowerCheck(input, inSize);
        const bool smartCommand = code == kSmartSendDriveCommand || code == kSmartRcvDriveData ||
                                  (code == kIoctlScsiPassThrough && !bridgedPowerCheck) ||
                                  (code == kIoctlAtaPassThrough && (PassThroughReturnStatus(input, inSize) ||
                                                                    PassThroughReadLogExt(input, inSize)));
        if (drive == kEveryDrive && smartCommand && input != nullptr && inSize >= kSmartRequestSize) {
            drive = input[offsetof(SENDCMDINPARAMS, bDriveNumber)];  // the 9x driver
        }
        record.drive = drive;
        if (smartCommand) {
            CountSmartCommand(drive);
        }
        ok = Answer(drive, code, input, inSize, static_cast<std::uint8_t*>(out), outSize, returned);
        if ((smartCommand || code == kIoctlAtaPassThrough || bridgedPowerCheck) && !set_.countsFile.empty()) {
            WriteCounts();
        }
    }
    record.succeeded = ok;
    if (recording_) {
        requests_.push_back(record);
    }
    if (bytesReturned != nullptr) {
        *bytesReturned = returned;
    }
    return ok;
}

bool SimulatedDiskBus::Answer(int drive, DWORD code, const std::uint8_t* in, DWORD inSize,
                              std::uint8_t* out, DWORD outSize, DWORD& returned)
{
    if (code == kSmartGetVersion) {
        // On 9x the version comes from the driver itself and names every device.
        const bool driverOnly = drive == kEveryDrive;
        if (out == nullptr || outSize < kVersionRecordSize) {
            return false;
        }
        if (!driverOnly && (drive >= static_cast<int>(kSimulatedDriveSlots) || !set_.drives[drive].installed ||
                            set_.drives[drive].nvme || set_.drives[drive].bridge != SimulatedBridge::None ||
                            set_.drives[drive].propertyOnly ||
                            set_.drives[drive].fail.version)) {
            return false;
        }
        GETVERSIONINPARAMS version{};
        version.bVersion = 1;
        version.bRevision = 1;
        version.bIDEDeviceMap = DeviceMap();
        version.fCapabilities = 0x7;  // CAP_ATA_ID_CMD | CAP_ATAPI_ID_CMD | CAP_SMART_CMD
        std::memcpy(out, &version, sizeof(version));
        returned = kVersionRecordSize;
        return true;
    }

    if (code == kIoctlScsiMiniport) {
        return AnswerRstMiniport(drive, in, inSize, out, outSize, returned);
    }
    if (code == kIoctlScsiGetAddress) {
        return AnswerScsiAddress(drive, out, outSize, returned);
    }
    if (code == kIoctlStorageProtocolCommand) {
        return AnswerProtocolCommand(drive, in, inSize, out, outSize, returned);
    }
    if (code == kIoctlAtaPassThrough) {
        // Through the disk's own handle only: the 9x driver has no pass-through.
        if (drive < 0 || drive >= static_cast<int>(kSimulatedDriveSlots) || !set_.drives[drive].installed) {
            return false;
        }
        return AnswerAtaPassThrough(set_.drives[drive], static_cast<unsigned>(drive), in, inSize, out, outSize,
                                    returned);
    }
    if (code == kIoctlStorageQueryProperty) {
        // A disk-class request: the 9x driver has none.
        if (drive < 0 || drive >= static_cast<int>(kSimulatedDriveSlots) || !set_.drives[drive].installed) {
            return false;
        }
        return AnswerStorageQuery(set_.drives[drive], static_cast<unsigned>(drive), in, inSize, out, outSize,
                                  returned);
    }
    if (code == kIoctlDiskGetLengthInfo) {
        // A disk-class request too; only NVMe drives are asked it.
        if (drive < 0 || drive >= static_cast<int>(kSimulatedDriveSlots)) {
            return false;
        }
        const SimulatedDrive& target = set_.drives[drive];
        const std::uint64_t length = target.propertyOnly ? SectorCount(target.identify) * kSmartSectorSize
                                                         : target.diskLength;
        if (!target.installed || !(target.nvme || target.propertyOnly) || length == 0 || out == nullptr ||
            outSize < kDiskLengthReplySize) {
            return false;
        }
        PutLittleEndian(out, kDiskLengthReplySize, length);
        returned = kDiskLengthReplySize;
        return true;
    }
    if (code == kIoctlScsiPassThrough) {
        if (drive < 0 || drive >= static_cast<int>(kSimulatedDriveSlots)) {
            return false;
        }
        SimulatedDrive& target = set_.drives[drive];
        if (target.installed && target.fail.answersFrom != 0 && ++passThroughs_[drive] >= target.fail.answersFrom) {
            return false;  // the bridge no longer answers: the request times out
        }
        if (target.installed && target.nvme && target.via != SimulatedNvmeVia::Direct &&
            target.via != SimulatedNvmeVia::IntelRst) {
            return AnswerNvmeBridge(target, static_cast<unsigned>(drive), in, inSize, out, outSize, returned);
        }
        return AnswerScsiPassThrough(set_.drives[drive], static_cast<unsigned>(drive), in, inSize, out, outSize,
                                     returned);
    }
    if (code != kSmartSendDriveCommand && code != kSmartRcvDriveData) {
        return false;  // not an ioctl of this driver
    }
    if (in == nullptr || inSize < kSmartRequestSize || out == nullptr) {
        return false;
    }
    if (drive < 0 || drive >= static_cast<int>(kSimulatedDriveSlots)) {
        return false;
    }
    SimulatedDrive& target = set_.drives[drive];
    if (!target.installed || target.fail.open || target.nvme || target.bridge != SimulatedBridge::None ||
        target.propertyOnly) {
        // Nothing answers at that address; the NVMe and USB storage drivers have no ATA
        // requests.
        return false;
    }
    SENDCMDINPARAMS request;
    std::memcpy(&request, in, kSmartRequestSize);
    request.bBuffer[0] = 0;
    const IDEREGS& regs = request.irDriveRegs;

    if (code == kSmartSendDriveCommand) {
        if (outSize < kSmartStatusSize) {
            return false;
        }
        const bool smartCommand = regs.bCommandReg == kAtaSmart && regs.bCylLowReg == kSmartCylLow &&
                                  regs.bCylHighReg == kSmartCylHigh;
        std::memset(out, 0, kSmartStatusSize);
        if (smartCommand && regs.bFeaturesReg == kSmartReturnStatus && !target.atapi &&
            outSize >= kSmartStatusReplySize) {
            // RETURN STATUS: the drive's registers follow the header.
            const SimulatedDrive::Status status = target.ReturnStatusAt(++statusAsks_[drive]);
            if (status != SimulatedDrive::Status::Refused) {
                const AtaRegisters left = ReturnStatusRegisters(status);
                const IDEREGS answer{0, 0, 0, left.lbaMid, left.lbaHigh, 0xA0, left.status, 0};
                std::memcpy(out + kSmartStatusSize, &answer, sizeof answer);
                returned = kSmartStatusSize + sizeof answer;
                return true;
            }
        }
        if (smartCommand && regs.bFeaturesReg == kSmartExecuteOffline && target.StartSelfTest(regs.bSectorNumberReg)) {
            ++selfTestsStarted_[drive];
            returned = kSmartStatusSize;
            return true;
        }
        if (!smartCommand || regs.bFeaturesReg != kSmartEnableOperations || target.atapi ||
            target.fail.enable) {
            SENDCMDOUTPARAMS status{};
            status.DriverStatus.bDriverError = kDriverIdeError;
            status.DriverStatus.bIDEError = kAtaAbort;
            std::memcpy(out, &status, kSmartStatusSize);
            return false;
        }
        returned = kSmartStatusSize;
        return true;
    }

    if (outSize < kSmartReplySize || request.cBufferSize < kSmartSectorSize) {
        return false;
    }
    if (!AnswerData(target, static_cast<unsigned>(drive), request, out)) {
        // Like a driver after an aborted command: an error status, junk in the data.
        SENDCMDOUTPARAMS status{};
        status.DriverStatus.bDriverError = kDriverIdeError;
        status.DriverStatus.bIDEError = kAtaAbort;
        std::memcpy(out, &status, kSmartStatusSize);
        std::memset(out + kSmartStatusSize, 0xEE, kSmartSectorSize);
        return false;
    }
    SENDCMDOUTPARAMS header{};
    header.cBufferSize = kSmartSectorSize;
    std::memcpy(out, &header, kSmartStatusSize);
    returned = kSmartReplySize;
    return true;
}

bool SimulatedDiskBus::AnswerData(SimulatedDrive& drive, unsigned number,
                                  const SENDCMDINPARAMS& request, std::uint8_t* out)
{
    const IDEREGS& regs = request.irDriveRegs;
    std::uint8_t* data = out + kSmartStatusSize;

    if (regs.bCommandReg == kAtaIdentifyDevice || regs.bCommandReg == kAtaIdentifyPacketDevice) {
        // A packet device aborts IDENTIFY DEVICE and an ATA device IDENTIFY PACKET DEVICE.
        const bool packet = regs.bCommandReg == kAtaIdentifyPacketDevice;
        if (packet != drive.atapi || drive.fail.identify) {
            return false;
        }
        std::memcpy(data, drive.identify, kSmartSectorSize);
        return true;
    }

    if (regs.bCommandReg != kAtaSmart || regs.bCylLowReg != kSmartCylLow ||
        regs.bCylHighReg != kSmartCylHigh || drive.atapi) {
        return false;
    }
    if (regs.bFeaturesReg == kSmartReadThresholds) {
        if (drive.fail.thresholds) {
            return false;
        }
        std::memcpy(data, drive.thresholds, kSmartSectorSize);
        return true;
    }
    if (regs.bFeaturesReg == kSmartReadLog) {
        // SMART READ LOG: only the self-test log, one sector, where the drive keeps one.
        if (!drive.logsSelfTests || regs.bSectorNumberReg != kSelfTestLogAddress || regs.bSectorCountReg != 1) {
            return false;
        }
        ++selfTestLogReads_[number];
        if (Asleep(number)) {
            ++selfTestLogReadsAsleep_[number];
        }
        std::memcpy(data, drive.selfTestLog, kSmartSectorSize);
        return true;
    }
    if (regs.bFeaturesReg != kSmartReadData) {
        return false;
    }

    const std::uint32_t read = ++attributeReads_[number];
    if (drive.fail.attributesFrom != 0 && read >= drive.fail.attributesFrom) {
        return false;
    }
    drive.StepAttributes(read);
    std::memcpy(data, drive.smartData, kSmartSectorSize);
    return true;
}

bool SimulatedDiskBus::AnswerStorageQuery(SimulatedDrive& drive, unsigned number, const std::uint8_t* in,
                                          DWORD inSize, std::uint8_t* out, DWORD outSize, DWORD& returned)
{
    if (in == nullptr || out == nullptr || inSize < kQueryParameters) {
        return false;
    }
    const DWORD propertyId = GetDword(in + offsetof(STORAGE_PROPERTY_QUERY, PropertyId));
    if (GetDword(in + offsetof(STORAGE_PROPERTY_QUERY, QueryType)) != kPropertyStandardQuery) {
        return false;
    }

    if (propertyId == kStorageDeviceProperty) {
        return AnswerDeviceDescriptor(drive, out, outSize, returned);
    }
    if (propertyId == kStorageDeviceTemperatureProperty) {
        return drive.propertyOnly && AnswerTemperatureProperty(drive, number, out, outSize, returned);
    }

    // Protocol-specific data: only the NVMe driver knows it, and only these two pages.
    if ((propertyId != kStorageAdapterProtocolSpecificProperty &&
         propertyId != kStorageDeviceProtocolSpecificProperty) ||
        !drive.nvme || drive.via != SimulatedNvmeVia::Direct || inSize < kProtocolRequestSize) {
        return false;
    }
    const std::uint8_t* specific = in + kQueryParameters;
    const DWORD protocol = GetDword(specific + offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolType));
    const DWORD dataType = GetDword(specific + offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, DataType));
    const DWORD value = GetDword(specific + offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolDataRequestValue));
    const DWORD offset = GetDword(specific + offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolDataOffset));
    const DWORD length = GetDword(specific + offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolDataLength));
    if (protocol != kProtocolTypeNvme || offset < sizeof(STORAGE_PROTOCOL_SPECIFIC_DATA)) {
        return false;
    }
    const std::uint8_t* page = nullptr;
    DWORD pageSize = 0;
    if (dataType == kNvmeDataTypeIdentify && value == kNvmeIdentifyCnsController) {
        if (drive.fail.identify) {
            return false;
        }
        page = drive.nvmeIdentify;
        pageSize = kNvmeIdentifySize;
    } else if (dataType == kNvmeDataTypeLogPage && value == kNvmeSelfTestLogId &&
               (drive.nvmeIdentify[kNvmeOacsOffset] & kNvmeOacsSelfTest) != 0) {
        ++selfTestLogReads_[number];
        page = drive.nvmeSelfTestLog;
        pageSize = kNvmeSelfTestLogSize;
    } else if (dataType == kNvmeDataTypeLogPage && value == kNvmeLogPageHealthInfo) {
        const std::uint32_t read = ++healthReads_[number];
        if (drive.fail.healthFrom != 0 && read >= drive.fail.healthFrom) {
            return false;
        }
        drive.StepHealth(read);
        page = drive.health;
        pageSize = kNvmeHealthSize;
    } else {
        return false;
    }
    // The driver wants room for the whole page after the descriptor.
    if (length < pageSize || static_cast<std::uint64_t>(kProtocolDataStart) + offset + pageSize > outSize) {
        return false;
    }
    std::memset(out, 0, kProtocolDescriptorSize);
    PutLittleEndian(out + offsetof(STORAGE_PROTOCOL_DATA_DESCRIPTOR, Version), 4, kProtocolDescriptorSize);
    PutLittleEndian(out + offsetof(STORAGE_PROTOCOL_DATA_DESCRIPTOR, Size), 4, kProtocolDescriptorSize);
    std::memcpy(out + kProtocolDataStart, specific, sizeof(STORAGE_PROTOCOL_SPECIFIC_DATA));
    std::uint8_t* answer = out + kProtocolDataStart;
    PutLittleEndian(answer + offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolDataLength), 4, pageSize);
    std::memcpy(answer + offset, page, pageSize);
    returned = kProtocolDataStart + offset + pageSize;
    return true;
}

bool SimulatedDiskBus::AnswerDeviceDescriptor(const SimulatedDrive& drive, std::uint8_t* out, DWORD outSize,
                                              DWORD& returned)
{
    // The descriptor, then its texts. Property-only drives name their identity the way a
    // USB storage driver does (product, revision, serial). Other ATA drives the way the
    // SCSI translation of an ATA port does: vendor "ATA", the model cut to the 16
    // characters of a product id, the firmware to 4, the whole serial. NVMe drives only
    // a product text.
    std::string vendor;
    std::string product = "KELVIX SIMULATED";
    std::string revision;
    std::string serial;
    if (drive.propertyOnly) {
        product = IdentifyText(drive.identify, 27, 20);
        revision = IdentifyText(drive.identify, 23, 4);
        serial = IdentifyText(drive.identify, 10, 10);
    } else if (!drive.nvme) {
        ScsiStyleIdentity(drive, vendor, product, revision, serial);
    }
    DWORD busType = drive.nvme                                                    ? kBusTypeNvme
                    : drive.bridge != SimulatedBridge::None || drive.propertyOnly ? kBusTypeUsb
                    : drive.atapi                                                 ? kBusTypeAtapi
                                                                                  : kBusTypeAta;
    // A bridge names itself in its inquiry data; RST shows the drive on the RAID bus.
    if (BridgeInquiry(drive.via, vendor, product)) {
        busType = kBusTypeUsb;
    } else if (drive.via == SimulatedNvmeVia::IntelRst) {
        product = NvmeText(drive.nvmeIdentify, kNvmeModelOffset, kNvmeModelLength);
        serial = NvmeText(drive.nvmeIdentify, kNvmeSerialOffset, kNvmeSerialLength);
        busType = kBusTypeRaid;
    }
    std::uint8_t descriptor[sizeof(STORAGE_DEVICE_DESCRIPTOR) + 160] = {};
    std::uint32_t end = sizeof(STORAGE_DEVICE_DESCRIPTOR);
    const auto putText = [&](std::size_t field, const std::string& text) {
        if (text.empty()) {
            return;
        }
        PutLittleEndian(descriptor + field, 4, end);
        std::memcpy(descriptor + end, text.c_str(), text.size() + 1);
        end += static_cast<std::uint32_t>(text.size() + 1);
    };
    putText(offsetof(STORAGE_DEVICE_DESCRIPTOR, VendorIdOffset), vendor);
    putText(offsetof(STORAGE_DEVICE_DESCRIPTOR, ProductIdOffset), product);
    putText(offsetof(STORAGE_DEVICE_DESCRIPTOR, ProductRevisionOffset), revision);
    putText(offsetof(STORAGE_DEVICE_DESCRIPTOR, SerialNumberOffset), serial);
    PutLittleEndian(descriptor + offsetof(STORAGE_DEVICE_DESCRIPTOR, Version), 4, sizeof(STORAGE_DEVICE_DESCRIPTOR));
    PutLittleEndian(descriptor + offsetof(STORAGE_DEVICE_DESCRIPTOR, Size), 4, end);
    PutLittleEndian(descriptor + offsetof(STORAGE_DEVICE_DESCRIPTOR, BusType), 4, busType);
    if (outSize < 8) {
        return false;
    }
    // A short buffer gets what fits.
    returned = std::min<DWORD>(outSize, end);
    std::memcpy(out, descriptor, returned);
    return true;
}

bool SimulatedDiskBus::AnswerTemperatureProperty(SimulatedDrive& drive, unsigned number, std::uint8_t* out,
                                                 DWORD outSize, DWORD& returned)
{
    // One entry (Index 0, the disk) after the 24-byte header, as a disk driver reports it.
    constexpr DWORD kSize = kTemperatureHeaderSize + kTemperatureInfoSize;
    if (outSize < 8) {
        return false;
    }
    const std::uint32_t read = ++propertyReads_[number];
    const std::int16_t temperature =
        drive.propertyTemperatures.empty() ? 0
                                           : drive.propertyTemperatures[(read - 1) % drive.propertyTemperatures.size()];
    std::uint8_t reply[kSize] = {};
    PutLittleEndian(reply, 4, kSize);      // Version: the descriptor's size
    PutLittleEndian(reply + 4, 4, kSize);  // Size
    PutLittleEndian(reply + 8, 2, static_cast<std::uint16_t>(drive.propertyCritical));
    PutLittleEndian(reply + 10, 2, static_cast<std::uint16_t>(drive.propertyWarning));
    PutLittleEndian(reply + 12, 2, 1);  // InfoCount
    std::uint8_t* entry = reply + kTemperatureHeaderSize;
    PutLittleEndian(entry + 2, 2, static_cast<std::uint16_t>(temperature));
    PutLittleEndian(entry + 4, 2, static_cast<std::uint16_t>(drive.propertyWarning));  // OverThreshold
    returned = std::min<DWORD>(outSize, kSize);
    std::memcpy(out, reply, returned);
    return true;
}

bool SimulatedDiskBus::AnswerScsiPassThrough(SimulatedDrive& drive, unsigned number, const std::uint8_t* in, DWORD inSize,
                                         std::uint8_t* out, DWORD outSize, DWORD& returned)
{
    // Only a bridge's storage driver passes SCSI commands on to an ATA drive here.
    if (!drive.installed || drive.fail.open || drive.bridge == SimulatedBridge::None || in == nullptr ||
        out == nullptr || inSize < sizeof(SCSI_PASS_THROUGH) || outSize < sizeof(SCSI_PASS_THROUGH)) {
        return false;
    }
    SCSI_PASS_THROUGH header;
    std::memcpy(&header, in, sizeof header);
    const std::size_t dataEnd = header.DataBufferOffset + header.DataTransferLength;
    const std::size_t senseEnd = static_cast<std::size_t>(header.SenseInfoOffset) + header.SenseInfoLength;
    if (header.Length != sizeof(SCSI_PASS_THROUGH) || header.DataBufferOffset < sizeof header ||
        dataEnd > inSize || dataEnd > outSize || senseEnd > outSize || header.SenseInfoLength < 22 ||
        header.SenseInfoOffset < sizeof header) {
        return false;  // the driver refuses a malformed record
    }
    if (in != out) {
        std::memcpy(out, in, std::min<DWORD>(inSize, outSize));
    }
    const std::uint8_t* cdb = header.Cdb;
    std::uint8_t* sense = out + header.SenseInfoOffset;
    const bool knows16 = drive.bridge == SimulatedBridge::Sat16 || drive.bridge == SimulatedBridge::Sat16NoStatus ||
                         drive.bridge == SimulatedBridge::Sat16FixedSense;
    const bool fixedSense = drive.bridge == SimulatedBridge::Sat16FixedSense;
    const bool knows12 = drive.bridge == SimulatedBridge::Sat12;
    const DWORD asked = header.DataTransferLength;
    header.ScsiStatus = kScsiStatusCheckCondition;
    header.SenseInfoLength = 0;
    header.DataTransferLength = 0;
    returned = static_cast<DWORD>(header.DataBufferOffset);

    SENDCMDINPARAMS request{};
    IDEREGS& regs = request.irDriveRegs;
    std::uint8_t flags = 0;
    if (header.CdbLength == 16 && cdb[0] == kSatOpcode16 && knows16) {
        flags = cdb[2];
        regs = {cdb[4], cdb[6], cdb[8], cdb[10], cdb[12], cdb[13], cdb[14], 0};
    } else if (header.CdbLength == 12 && cdb[0] == kSatOpcode12 && knows12) {
        flags = cdb[2];
        regs = {cdb[3], cdb[4], cdb[5], cdb[6], cdb[7], cdb[8], cdb[9], 0};
    } else {
        header.SenseInfoLength = static_cast<BYTE>(PutUnknownCommandSense(sense));
        std::memcpy(out, &header, sizeof header);
        return true;
    }
    const std::uint8_t protocol = (cdb[1] >> 1) & 0x0F;
    const bool dataIn = protocol == 4;
    const bool checkCondition = (flags & 0x20) != 0;
    bool done = false;
    std::uint8_t sector[kSmartReplySize] = {};
    if (dataIn && regs.bCommandReg == kAtaReadLogExt) {
        // Only the 16-byte block carries a 48-bit command's high bytes.
        AtaTaskfile read;
        read.sectorCount = cdb[6];
        read.lbaLow = cdb[8];
        read.lbaMid = cdb[10];
        read.command = kAtaReadLogExt;
        read.extend = header.CdbLength == 16 && (cdb[1] & 0x01) != 0;
        read.sectorCountHigh = header.CdbLength == 16 ? cdb[5] : 0;
        read.lbaMidHigh = header.CdbLength == 16 ? cdb[9] : 0;
        done = header.DataIn == kScsiDataIn && asked >= kSmartSectorSize &&
               AnswerReadLogExt(drive, number, read, sector + kSmartStatusSize, kSmartSectorSize);
    } else if (dataIn) {
        done = header.DataIn == kScsiDataIn && asked >= kSmartSectorSize &&
               AnswerData(drive, number, request, sector);
    } else if (protocol == 3) {
        done = regs.bCommandReg == kAtaSmart && regs.bFeaturesReg == kSmartEnableOperations &&
               regs.bCylLowReg == kSmartCylLow && regs.bCylHighReg == kSmartCylHigh && !drive.atapi &&
               !drive.fail.enable;
    }
    AtaRegisters left;
    if (protocol == 3 && regs.bCommandReg == kAtaSmart && regs.bFeaturesReg == kSmartReturnStatus &&
        regs.bCylLowReg == kSmartCylLow && regs.bCylHighReg == kSmartCylHigh && !drive.atapi) {
        const SimulatedDrive::Status status = drive.ReturnStatusAt(++statusAsks_[number]);
        done = status != SimulatedDrive::Status::Refused;
        left = ReturnStatusRegisters(status);
    }
    std::uint8_t count = 0;
    if (protocol == 3 && regs.bCommandReg == kAtaCheckPowerMode && !drive.atapi && !fixedSense) {
        // The drive answers the power question itself, whatever its driver would.
        ++powerChecks_[number];
        done = true;
        count = Asleep(number) ? 0x00 : 0xFF;  // standby / active or idle
    }
    const bool registers = drive.bridge != SimulatedBridge::Sat16NoStatus;
    if (!done && fixedSense) {
        // ABORTED COMMAND in fixed format, no registers: nothing in bytes 3-11.
        const std::uint8_t fixed[18] = {0x70, 0, 0x0B, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x00, 0x00, 0, 0, 0, 0};
        std::memcpy(sense, fixed, sizeof fixed);
        header.SenseInfoLength = sizeof fixed;
    } else if (!done) {
        header.SenseInfoLength = static_cast<BYTE>(PutAtaSense(sense, 0x0B, 0x00, 0x51, 0x04, registers));
    } else {
        if (dataIn) {
            std::memcpy(out + header.DataBufferOffset, sector + kSmartStatusSize, kSmartSectorSize);
            header.DataTransferLength = kSmartSectorSize;
            returned = static_cast<DWORD>(header.DataBufferOffset + kSmartSectorSize);
        }
        if (checkCondition) {
            header.SenseInfoLength = static_cast<BYTE>(PutAtaSense(sense, 0x01, 0x1D, 0x50, 0x00, registers, count,
                                                                  left.lbaMid, left.lbaHigh));
        } else {
            header.ScsiStatus = kScsiStatusGood;
        }
    }
    std::memcpy(out, &header, sizeof header);
    return true;
}

bool SimulatedDiskBus::AnswerAtaPassThrough(SimulatedDrive& drive, unsigned number, const std::uint8_t* in,
                                         DWORD inSize, std::uint8_t* out, DWORD outSize, DWORD& returned)
{
    if (drive.nvme || drive.bridge != SimulatedBridge::None || in == nullptr || out == nullptr ||
        inSize < kAtaPassThroughSize || outSize < kAtaPassThroughSize) {
        return false;  // the NVMe and USB storage drivers have no ATA pass-through
    }
    ATA_PASS_THROUGH_EX request;
    std::memcpy(&request, in, sizeof request);
    const BYTE* task = request.CurrentTaskFile;
    if (request.AtaFlags == (kAtaFlagDrdyRequired | kAtaFlagDataIn | kAtaFlag48Bit)) {
        // The data follow the record where it says, inside both buffers.
        const DWORD size = std::min(inSize, outSize);
        if (request.DataBufferOffset < kAtaPassThroughSize || request.DataBufferOffset > size ||
            request.DataTransferLength > size - request.DataBufferOffset) {
            return false;
        }
        const BYTE* previous = request.PreviousTaskFile;
        AtaTaskfile read;
        read.sectorCount = task[kTaskSectorCount];
        read.lbaLow = task[kTaskLbaLow];
        read.lbaMid = task[kTaskLbaMid];
        read.command = task[kTaskCommand];
        read.extend = true;
        read.sectorCountHigh = previous[kTaskSectorCount];
        read.lbaMidHigh = previous[kTaskLbaMid];
        if (!AnswerReadLogExt(drive, number, read, out + request.DataBufferOffset, request.DataTransferLength)) {
            return false;
        }
        ATA_PASS_THROUGH_EX reply = request;
        reply.CurrentTaskFile[kTaskCommand] = 0x50;  // ready, seek complete
        std::memcpy(out, &reply, sizeof reply);
        returned = static_cast<DWORD>(request.DataBufferOffset + kSmartSectorSize);
        return true;
    }
    if (request.DataTransferLength != 0) {
        return false;
    }
    if (task[kTaskCommand] == kAtaSmart && task[kTaskFeatures] == kSmartReturnStatus &&
        task[kTaskLbaMid] == kSmartCylLow && task[kTaskLbaHigh] == kSmartCylHigh && !drive.atapi) {
        // RETURN STATUS: the same answers as through SMART_SEND_DRIVE_COMMAND, in turn.
        const SimulatedDrive::Status status = drive.ReturnStatusAt(++statusAsks_[number]);
        if (status == SimulatedDrive::Status::Refused) {
            return false;
        }
        const AtaRegisters left = ReturnStatusRegisters(status);
        ATA_PASS_THROUGH_EX reply = request;
        const BYTE registers[8] = {0, 0, 0, left.lbaMid, left.lbaHigh, 0xA0, left.status, 0};
        std::memcpy(reply.CurrentTaskFile, registers, sizeof registers);
        std::memcpy(out, &reply, sizeof reply);
        returned = kAtaPassThroughSize;
        return true;
    }
    if (task[kTaskCommand] != kAtaCheckPowerMode) {
        return false;  // the only other pass-through command these drives know
    }
    ++powerChecks_[number];
    if (!drive.answersCheckPower) {
        return false;
    }
    ATA_PASS_THROUGH_EX reply = request;
    std::memset(reply.CurrentTaskFile, 0, sizeof reply.CurrentTaskFile);
    if (drive.atapi) {
        reply.CurrentTaskFile[kTaskFeatures] = kAtaAbort;
        reply.CurrentTaskFile[kTaskCommand] = 0x51;  // ready, error
    } else {
        reply.CurrentTaskFile[kTaskSectorCount] = Asleep(number) ? 0x00 : 0xFF;  // standby / active or idle
        reply.CurrentTaskFile[kTaskCommand] = 0x50;  // ready, seek complete
    }
    std::memcpy(out, &reply, sizeof reply);
    returned = kAtaPassThroughSize;
    return true;
}

bool SimulatedDiskBus::AnswerReadLogExt(SimulatedDrive& drive, unsigned number, const AtaTaskfile& task,
                                        std::uint8_t* data, std::uint32_t size)
{
    if (task.command != kAtaReadLogExt || !task.extend || task.sectorCount != 1 || task.sectorCountHigh != 0 ||
        size < kSmartSectorSize || drive.atapi) {
        return false;
    }
    std::uint8_t directory[kSmartSectorSize];
    const std::uint8_t* page = drive.GpLogPage(task.lbaLow, task.lbaMid | task.lbaMidHigh << 8, directory);
    if (page == nullptr) {
        return false;
    }
    if (task.lbaLow == kLogDirectoryAddress) {
        ++gpDirectoryReads_[number];
    } else {
        ++selfTestLogReads_[number];
        if (Asleep(number)) {
            ++selfTestLogReadsAsleep_[number];
        }
    }
    std::memcpy(data, page, kSmartSectorSize);
    return true;
}

bool SimulatedDiskBus::DevicePowerState(HANDLE handle, bool& on)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    on = true;
    const OpenDevice* device = Find(handle);
    if (device == nullptr || device->drive < 0 || device->drive >= static_cast<int>(kSimulatedDriveSlots)) {
        return false;
    }
    const unsigned number = static_cast<unsigned>(device->drive);
    const SimulatedDrive& drive = set_.drives[number];
    if (!drive.installed || !drive.answersPowerState) {
        return false;
    }
    on = !Asleep(number);
    return true;
}

void SimulatedDiskBus::CountSmartCommand(int drive)
{
    if (drive < 0 || drive >= static_cast<int>(kSimulatedDriveSlots) || !set_.drives[drive].installed) {
        return;
    }
    ++smartCommands_[drive];
    if (Asleep(static_cast<unsigned>(drive))) {
        ++smartCommandsAsleep_[drive];
    }
}

bool SimulatedDiskBus::Asleep(unsigned drive) const
{
    if (drive >= kSimulatedDriveSlots) {
        return false;
    }
    return set_.drives[drive].AsleepAfter(powerChecks_[drive]);
}

std::uint64_t SimulatedDiskBus::SmartCommands(unsigned drive) const
{
    return drive < kSimulatedDriveSlots ? smartCommands_[drive] : 0;
}

std::uint64_t SimulatedDiskBus::SmartCommandsAsleep(unsigned drive) const
{
    return drive < kSimulatedDriveSlots ? smartCommandsAsleep_[drive] : 0;
}

std::uint32_t SimulatedDiskBus::PowerChecks(unsigned drive) const
{
    return drive < kSimulatedDriveSlots ? powerChecks_[drive] : 0;
}

std::string SimulatedDiskBus::CountsText() const
{
    std::string text;
    for (unsigned n = 0; n < kSimulatedDriveSlots; ++n) {
        if (!set_.drives[n].installed) {
            continue;
        }
        text += CountsLine(n, smartCommands_[n], smartCommandsAsleep_[n], powerChecks_[n], Asleep(n));
    }
    return text + "end\n";
}

void SimulatedDiskBus::WriteCounts() const
{
    WriteCountsFile(set_.countsFile, CountsText());
}

std::string CountsLine(unsigned drive, std::uint64_t smart, std::uint64_t asleep, std::uint32_t checks, bool sleeping)
{
    char line[128];
    std::snprintf(line, sizeof line, "drive %u smart %llu asleep %llu checks %lu sleeping %d\n", drive,
                  static_cast<unsigned long long>(smart), static_cast<unsigned long long>(asleep),
                  static_cast<unsigned long>(checks), sleeping ? 1 : 0);
    return line;
}

void WriteCountsFile(const std::string& path, const std::string& text)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return;
    }
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
}

void ScsiStyleIdentity(const SimulatedDrive& drive, std::string& vendor, std::string& product, std::string& revision,
                       std::string& serial)
{
    vendor = "ATA";
    product = IdentifyText(drive.identify, 27, 8);
    revision = IdentifyText(drive.identify, 23, 2);
    serial = IdentifyText(drive.identify, 10, 10);
}
