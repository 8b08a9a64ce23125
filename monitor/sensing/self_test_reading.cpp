#include "self_test_reading.h"

#include "smart_records.h"

#include <cstring>

namespace {

constexpr unsigned kWord84Offset = 168;  // command set/feature supported extension
constexpr unsigned kWord87Offset = 174;  // command set/feature default
constexpr std::uint8_t kSelfTestBit = 0x02;

constexpr unsigned kWord83Offset = 166;  // command set/feature supported
constexpr std::uint8_t kGpLoggingBit = 0x20;       // words 84, 87 bit 5
constexpr std::uint8_t kAddress48HighBit = 0x04;   // word 83 bit 10, in its high byte

// Words 83, 84 and 87 hold something only when their bits 15:14 are 01.
bool WordSays(const std::uint8_t* identify, unsigned offset, std::uint8_t lowBit = kSelfTestBit)
{
    return (identify[offset + 1] & 0xC0) == 0x40 && (identify[offset] & lowBit) != 0;
}

// Log 07h read and decoded, where the drive has it and its route carries READ LOG EXT;
// a log not read otherwise. The directory is asked once.
SelfTestLog ReadExtendedSelfTestLog(DriveRecord& record)
{
    SmartDevice& device = record.device;
    if (!KeepsGpLogs(record.identifyResult) || !device.ReadsGpLogs()) {
        return SelfTestLog();
    }
    if (record.gpDirectoryRead == 0) {
        const std::uint8_t* directory = device.ReadLogExt(kLogDirectoryAddress, 0);
        if (directory == nullptr) {
            return SelfTestLog();  // asked again with the next log read
        }
        const unsigned pages = GpLogPages(directory, kExtendedSelfTestLogAddress);
        record.gpDirectoryRead = 1;
        record.extendedSelfTestPages = static_cast<std::uint8_t>(pages <= kExtendedSelfTestPagesMax ? pages : 0);
    }
    std::uint8_t pages[kExtendedSelfTestPagesMax * kSelfTestLogSize];
    for (unsigned page = 0; page < record.extendedSelfTestPages; ++page) {
        const std::uint8_t* data = device.ReadLogExt(kExtendedSelfTestLogAddress, static_cast<std::uint16_t>(page));
        if (data == nullptr) {
            return SelfTestLog();
        }
        std::memcpy(pages + page * kSelfTestLogSize, data, kSelfTestLogSize);
    }
    return DecodeAtaExtendedSelfTestLog(pages, record.extendedSelfTestPages);
}

}  // namespace

bool KeepsGpLogs(const std::uint8_t* identify)
{
    const std::uint8_t word83High = identify != nullptr ? identify[kWord83Offset + 1] : 0;
    return (word83High & 0xC0) == 0x40 && (word83High & kAddress48HighBit) != 0 &&
           (WordSays(identify, kWord84Offset, kGpLoggingBit) || WordSays(identify, kWord87Offset, kGpLoggingBit));
}

bool LogsSelfTests(const std::uint8_t* identify)
{
    return identify != nullptr && (WordSays(identify, kWord84Offset) || WordSays(identify, kWord87Offset));
}

namespace {

// OACS bit 4, on the inbox driver's route: a USB bridge or RST passes no such page or command.
bool NvmeLogsSelfTests(const DriveRecord& record)
{
    return record.nvmeIdentifyResult != nullptr && (record.nvmeIdentifyResult[kNvmeOacsOffset] & kNvmeOacsSelfTest) != 0 &&
           record.nvme.Route() == NvmeRoute::StorageQuery;
}

}  // namespace

bool SelfTestStartable(const DriveRecord& record)
{
    if (record.present == 0) {
        return false;
    }
    if (record.kind == DriveKind::Nvme) {
        return NvmeLogsSelfTests(record);
    }
    if (record.kind != DriveKind::Ata) {
        return false;
    }
    const std::uint8_t* data = record.attributeResult != nullptr ? record.attributeResult - 2 : nullptr;
    return LogsSelfTests(record.identifyResult) ||
           (data != nullptr && (data[kOfflineCapabilityOffset] & kCapabilitySelfTest) != 0);
}

bool SelfTestRunning(const DriveRecord& record, unsigned& remainingPercent)
{
    if (record.kind == DriveKind::Ata) {
        return SelfTestRunningNow(record.attributeResult, remainingPercent);
    }
    const SelfTestLog& log = record.selfTests;
    const unsigned done = log.currentCompletion < 100 ? log.currentCompletion : 100;
    remainingPercent = 100 - done;
    return record.kind == DriveKind::Nvme && log.read && log.currentOperation != 0;
}

unsigned DriveSelfTestMinutes(const DriveRecord& record, bool extended)
{
    if (record.kind != DriveKind::Nvme) {
        return SelfTestMinutes(record.attributeResult, extended);
    }
    const std::uint8_t* identify = record.nvmeIdentifyResult;
    if (!extended) {
        return kNvmeShortTestMinutes;
    }
    return identify != nullptr ? static_cast<unsigned>(identify[kNvmeEdsttOffset] | identify[kNvmeEdsttOffset + 1] << 8)
                               : 0;
}

void NoteSelfTestStarted(DriveRecord& record)
{
    if (record.kind == DriveKind::Nvme) {
        record.selfTestWasRunning = 1;
    }
}

bool StartDriveSelfTest(DriveRecord& record, bool extended)
{
    const bool started = record.kind == DriveKind::Nvme ? record.nvme.StartSelfTest(record.device.Handle(), extended)
                                                        : record.device.StartSelfTest(extended);
    if (started) {
        NoteSelfTestStarted(record);
    }
    return started;
}

bool ScheduledTestDue(const DriveRecord& record, std::uint32_t days)
{
    const SelfTestLog& log = record.selfTests;
    unsigned left = 0;
    const bool nvme = record.kind == DriveKind::Nvme;
    const std::uint8_t* attributeResult = record.attributeResult;
    if (days == 0 || !log.valid || (nvme ? record.healthResult == nullptr : attributeResult == nullptr) ||
        SelfTestRunning(record, left)) {
        return false;
    }
    if (log.count == 0) {
        return true;
    }
    if (log.entries[0].outcome == SelfTestOutcome::Running) {
        return false;
    }
    if (nvme) {
        std::uint64_t now = 0;
        for (unsigned i = 8; i > 0; --i) {
            now = now << 8 | record.healthResult[kNvmePowerOnHoursOffset + i - 1];
        }
        return now >= log.entries[0].powerOnHours && now - log.entries[0].powerOnHours >= days * 24ull;
    }
    for (unsigned i = 0; i < kSmartEntryCount; ++i) {
        const std::uint8_t* entry = attributeResult + i * kSmartEntrySize;
        if (entry[0] == 9) {
            const unsigned now = static_cast<unsigned>(entry[kSmartRawOffset] | entry[kSmartRawOffset + 1] << 8);
            const unsigned since = (now - static_cast<unsigned>(log.entries[0].powerOnHours)) & 0xFFFF;
            return since >= days * 24;
        }
    }
    return false;  // no power-on hours: no way to tell the age of the last test
}

bool SelfTestJustEnded(std::uint8_t& wasRunning, const std::uint8_t* attributeResult)
{
    if (attributeResult == nullptr) {
        return false;  // no status this read: nothing is known to have changed
    }
    unsigned left = 0;
    const bool running = SelfTestRunningNow(attributeResult, left);
    const bool ended = wasRunning != 0 && !running;
    wasRunning = running ? 1 : 0;
    return ended;
}

void CountSelfTestTick(DriveRecord& record)
{
    if (record.ticksSinceSelfTests < UINT32_MAX) {
        ++record.ticksSinceSelfTests;
    }
}

void ReadSelfTestsIfDue(DriveRecord& record, std::uint32_t timerSeconds, std::uint32_t scheduleDays)
{
    const bool ata = record.kind == DriveKind::Ata && LogsSelfTests(record.identifyResult);
    const bool nvme = record.kind == DriveKind::Nvme && NvmeLogsSelfTests(record);
    if (!ata && !nvme) {
        return;
    }
    const std::uint32_t seconds = timerSeconds != 0 ? timerSeconds : 1;
    const std::uint32_t ticksPerDay = (kSecondsPerDay + seconds - 1) / seconds;
    const bool ended = ata && SelfTestJustEnded(record.selfTestWasRunning, record.attributeResult);
    // An NVMe drive tells of its running test only in the page: it is read until it ends.
    const bool following = nvme && record.selfTestWasRunning != 0;
    if (record.selfTestsAsked != 0 && record.ticksSinceSelfTests < ticksPerDay && !ended && !following) {
        return;
    }
    record.selfTestsAsked = 1;
    record.ticksSinceSelfTests = 0;
    std::uint32_t bytes = 0;
    if (nvme) {
        const std::uint8_t* page = record.nvme.ReadSelfTestLog(record.device.Handle(), bytes);
        if (page == nullptr) {
            return;
        }
        record.selfTests = DecodeNvmeSelfTestLog(page);
        unsigned left = 0;
        record.selfTestWasRunning = SelfTestRunning(record, left) ? 1 : 0;
        if (ScheduledTestDue(record, scheduleDays)) {
            StartDriveSelfTest(record, false);
        }
        return;
    }
    const std::uint8_t* log = record.device.ReadSelfTestLog(bytes);
    const SelfTestLog extended = ReadExtendedSelfTestLog(record);
    if (extended.valid) {
        record.selfTests = extended;
    } else if (log != nullptr) {
        record.selfTests = DecodeAtaSelfTestLog(log);
    } else {
        return;
    }
    if (ScheduledTestDue(record, scheduleDays)) {
        StartDriveSelfTest(record, false);
    }
}
