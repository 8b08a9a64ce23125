#include "self_test_reading.h"

#include "smart_records.h"

namespace {

constexpr unsigned kWord84Offset = 168;  // command set/feature supported extension
constexpr unsigned kWord87Offset = 174;  // command set/feature default
constexpr std::uint8_t kSelfTestBit = 0x02;

// Words 84 and 87 hold something only when their bits 15:14 are 01.
bool WordSays(const std::uint8_t* identify, unsigned offset)
{
    return (identify[offset + 1] & 0xC0) == 0x40 && (identify[offset] & kSelfTestBit) != 0;
}

}  // namespace

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
    if (log == nullptr) {
        return;
    }
    record.selfTests = DecodeAtaSelfTestLog(log);
    if (ScheduledTestDue(record.selfTests, record.attributeResult, scheduleDays)) {
        record.device.StartSelfTest(false);
    }
}
