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

bool SelfTestStartable(const DriveRecord& record)
{
    if (record.present == 0 || record.kind != DriveKind::Ata) {
        return false;
    }
    const std::uint8_t* data = record.attributeResult != nullptr ? record.attributeResult - 2 : nullptr;
    return LogsSelfTests(record.identifyResult) ||
           (data != nullptr && (data[kOfflineCapabilityOffset] & kCapabilitySelfTest) != 0);
}

bool ScheduledTestDue(const SelfTestLog& log, const std::uint8_t* attributeResult, std::uint32_t days)
{
    unsigned left = 0;
    if (days == 0 || !log.valid || attributeResult == nullptr || SelfTestRunningNow(attributeResult, left)) {
        return false;
    }
    if (log.count == 0) {
        return true;
    }
    if (log.entries[0].outcome == SelfTestOutcome::Running) {
        return false;
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

bool NvmeLogsSelfTests(const DriveRecord& record)
{
    return record.nvmeIdentifyResult != nullptr && (record.nvmeIdentifyResult[kNvmeOacsOffset] & kNvmeOacsSelfTest) != 0 &&
           record.nvme.Route() == NvmeRoute::StorageQuery;
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
    if (record.selfTestsAsked != 0 && record.ticksSinceSelfTests < ticksPerDay && !ended) {
        return;
    }
    record.selfTestsAsked = 1;
    record.ticksSinceSelfTests = 0;
    std::uint32_t bytes = 0;
    if (nvme) {
        const std::uint8_t* page = record.nvme.ReadSelfTestLog(record.device.Handle(), bytes);
        if (page != nullptr) {
            record.selfTests = DecodeNvmeSelfTestLog(page);
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
    if (ScheduledTestDue(record.selfTests, record.attributeResult, scheduleDays)) {
        record.device.StartSelfTest(false);
    }
}
