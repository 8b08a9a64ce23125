#include "self_test_log.h"

namespace {

// ATA log 06h.
constexpr unsigned kAtaDescriptorOffset = 2;
constexpr unsigned kAtaDescriptorSize = 24;
constexpr unsigned kAtaIndexOffset = 508;
constexpr unsigned kAtaChecksumSpan = 512;
// ATA log 07h.
constexpr unsigned kExtendedDescriptorOffset = 4;
constexpr unsigned kExtendedDescriptorSize = 26;
constexpr unsigned kExtendedIndexOffset = 2;
constexpr std::uint64_t kNoLba28 = 0xFFFFFFFFull;
constexpr std::uint64_t kNoLba48 = 0xFFFFFFFFFFFFull;
// NVMe page 06h.
constexpr unsigned kNvmeResultOffset = 4;
constexpr unsigned kNvmeResultSize = 28;
constexpr std::uint8_t kNvmeUnused = 0x0F;
constexpr std::uint8_t kNvmeLbaValid = 0x02;

std::uint64_t Little(const std::uint8_t* at, unsigned bytes)
{
    std::uint64_t value = 0;
    for (unsigned i = bytes; i > 0; --i) {
        value = (value << 8) | at[i - 1];
    }
    return value;
}

// The LBA field's low byte: the SMART EXECUTE OFF-LINE IMMEDIATE subcommand that ran it
// (1/81h short, 2/82h extended, 3/83h conveyance, 4/84h selective; off-line or captive).
SelfTestKind AtaKind(std::uint8_t subcommand)
{
    switch (subcommand & 0x7F) {
    case 1: return SelfTestKind::Short;
    case 2: return SelfTestKind::Extended;
    case 3: return SelfTestKind::Conveyance;
    case 4: return SelfTestKind::Selective;
    default: return SelfTestKind::Other;
    }
}

SelfTestOutcome AtaOutcome(std::uint8_t nibble)
{
    return nibble <= 8 || nibble == 15 ? static_cast<SelfTestOutcome>(nibble) : SelfTestOutcome::Unknown;
}

// NVMe Device Self-test Status bits 3:0.
SelfTestOutcome NvmeOutcome(std::uint8_t result)
{
    switch (result) {
    case 0: return SelfTestOutcome::Passed;
    case 1: case 3: case 4: case 8: case 9: return SelfTestOutcome::Aborted;
    case 2: return SelfTestOutcome::Interrupted;
    case 5: return SelfTestOutcome::Fatal;
    case 6: case 7: return SelfTestOutcome::FailedSegment;
    default: return SelfTestOutcome::Unknown;
    }
}

bool SumsToZero(const std::uint8_t* at, unsigned size)
{
    std::uint8_t sum = 0;
    for (unsigned i = 0; i < size; ++i) {
        sum = static_cast<std::uint8_t>(sum + at[i]);
    }
    return sum == 0;
}

// One descriptor of log 06h or 07h: they differ only in how wide the LBA is. A failed
// test records where it stopped; all ones (or 0 for a passed one) is none.
void PutAtaEntry(SelfTestEntry& entry, const std::uint8_t* d, unsigned lbaBytes, std::uint64_t noLba)
{
    entry.kind = AtaKind(d[0]);
    entry.outcome = AtaOutcome(d[1] >> 4);
    entry.remainingPercent = static_cast<std::uint8_t>((d[1] & 0x0F) * 10);
    entry.powerOnHours = Little(d + 2, 2);
    const std::uint64_t lba = Little(d + 5, lbaBytes);
    entry.lbaKnown = SelfTestFailed(entry.outcome) && lba != noLba;
    entry.firstFailingLba = entry.lbaKnown ? lba : 0;
}

bool AllZero(const std::uint8_t* at, unsigned size)
{
    for (unsigned i = 0; i < size; ++i) {
        if (at[i] != 0) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool SelfTestRunningNow(const std::uint8_t* attributeResult, unsigned& remainingPercent)
{
    remainingPercent = 0;
    if (attributeResult == nullptr) {
        return false;
    }
    const std::uint8_t status = attributeResult[kSelfTestStatusOffset - 2];
    remainingPercent = (status & 0x0F) * 10u;
    return (status >> 4) == 15;
}

unsigned SelfTestMinutes(const std::uint8_t* attributeResult, bool extended)
{
    if (attributeResult == nullptr) {
        return 0;
    }
    const std::uint8_t* data = attributeResult - 2;
    if (!extended) {
        return data[kShortPollingOffset];
    }
    if (data[kExtendedPollingOffset] != 0xFF) {
        return data[kExtendedPollingOffset];
    }
    return static_cast<unsigned>(data[kExtendedPollingWordOffset] | data[kExtendedPollingWordOffset + 1] << 8);
}

bool SelfTestFailed(SelfTestOutcome outcome)
{
    return outcome >= SelfTestOutcome::Fatal && outcome <= SelfTestOutcome::FailedSegment;
}

bool SelfTestCompleted(SelfTestOutcome outcome)
{
    return outcome == SelfTestOutcome::Passed || SelfTestFailed(outcome);
}

const SelfTestEntry* NewestCompletedTest(const SelfTestLog& log)
{
    if (!log.valid) {
        return nullptr;
    }
    for (unsigned i = 0; i < log.count && i < kAtaSelfTestDescriptors; ++i) {
        if (SelfTestCompleted(log.entries[i].outcome)) {
            return &log.entries[i];
        }
    }
    return nullptr;
}

SelfTestLog DecodeAtaSelfTestLog(const std::uint8_t* sector)
{
    SelfTestLog log;
    if (sector == nullptr) {
        return log;
    }
    log.read = true;
    if (!SumsToZero(sector, kAtaChecksumSpan)) {
        return log;
    }
    log.valid = true;
    // The index names the newest descriptor, 1 to 21; 0 means no test was logged.
    const unsigned index = sector[kAtaIndexOffset];
    if (index == 0 || index > kAtaSelfTestDescriptors) {
        return log;
    }
    for (unsigned n = 0; n < kAtaSelfTestDescriptors; ++n) {
        const unsigned slot = (index - 1 + kAtaSelfTestDescriptors - n) % kAtaSelfTestDescriptors;
        const std::uint8_t* d = sector + kAtaDescriptorOffset + slot * kAtaDescriptorSize;
        if (AllZero(d, kAtaDescriptorSize)) {
            break;  // the log has not wrapped yet: no older tests
        }
        PutAtaEntry(log.entries[log.count++], d, 4, kNoLba28);
    }
    return log;
}

unsigned GpLogPages(const std::uint8_t* directory, std::uint8_t address)
{
    return directory == nullptr ? 0 : static_cast<unsigned>(Little(directory + 2 * address, 2));
}

SelfTestLog DecodeAtaExtendedSelfTestLog(const std::uint8_t* pages, unsigned pageCount)
{
    SelfTestLog log;
    if (pages == nullptr || pageCount == 0 || pageCount > kExtendedSelfTestPagesMax) {
        return log;
    }
    log.read = true;
    for (unsigned page = 0; page < pageCount; ++page) {
        if (!SumsToZero(pages + page * kSelfTestLogSize, kSelfTestLogSize)) {
            return log;
        }
    }
    const unsigned slots = pageCount * kExtendedSelfTestDescriptorsPerPage;
    const unsigned index = static_cast<unsigned>(Little(pages + kExtendedIndexOffset, 2));
    if (index > slots) {
        return log;  // the newest test is in a page not read: the order is unknown
    }
    log.valid = true;
    for (unsigned n = 0; index != 0 && n < slots && log.count < kAtaSelfTestDescriptors; ++n) {
        const unsigned slot = (index - 1 + slots - n) % slots;
        const std::uint8_t* d = pages + (slot / kExtendedSelfTestDescriptorsPerPage) * kSelfTestLogSize +
                                kExtendedDescriptorOffset +
                                (slot % kExtendedSelfTestDescriptorsPerPage) * kExtendedDescriptorSize;
        if (AllZero(d, kExtendedDescriptorSize)) {
            break;  // not wrapped yet: no older tests
        }
        PutAtaEntry(log.entries[log.count++], d, 6, kNoLba48);
    }
    return log;
}

SelfTestLog DecodeNvmeSelfTestLog(const std::uint8_t* page)
{
    SelfTestLog log;
    if (page == nullptr) {
        return log;
    }
    log.read = true;
    log.valid = true;
    log.currentOperation = page[0] & 0x0F;
    log.currentCompletion = page[1] & 0x7F;
    for (unsigned n = 0; n < kNvmeSelfTestResults; ++n) {
        const std::uint8_t* r = page + kNvmeResultOffset + n * kNvmeResultSize;
        const std::uint8_t result = r[0] & 0x0F;
        if (result == kNvmeUnused) {
            break;
        }
        SelfTestEntry& entry = log.entries[log.count++];
        const std::uint8_t code = r[0] >> 4;
        entry.kind = code == 1 ? SelfTestKind::Short : code == 2 ? SelfTestKind::Extended : SelfTestKind::Other;
        entry.outcome = NvmeOutcome(result);
        entry.segment = result == 7 ? r[1] : 0;
        entry.powerOnHours = Little(r + 4, 8);
        entry.lbaKnown = SelfTestFailed(entry.outcome) && (r[2] & kNvmeLbaValid) != 0;
        entry.firstFailingLba = entry.lbaKnown ? Little(r + 16, 8) : 0;
    }
    return log;
}

const char* SelfTestKindName(SelfTestKind kind)
{
    switch (kind) {
    case SelfTestKind::Short: return "short";
    case SelfTestKind::Extended: return "extended";
    case SelfTestKind::Conveyance: return "conveyance";
    case SelfTestKind::Selective: return "selective";
    case SelfTestKind::Other: break;
    }
    return "other";
}

const char* SelfTestOutcomeName(SelfTestOutcome outcome)
{
    switch (outcome) {
    case SelfTestOutcome::Passed: return "passed";
    case SelfTestOutcome::Aborted: return "aborted by the host";
    case SelfTestOutcome::Interrupted: return "interrupted by a reset";
    case SelfTestOutcome::Fatal: return "could not complete (fatal error)";
    case SelfTestOutcome::FailedUnknown: return "failed (unknown element)";
    case SelfTestOutcome::FailedElectrical: return "electrical element failed";
    case SelfTestOutcome::FailedServo: return "servo element failed";
    case SelfTestOutcome::FailedRead: return "read element failed";
    case SelfTestOutcome::FailedHandling: return "failed (handling damage)";
    case SelfTestOutcome::FailedSegment: return "a segment failed";
    case SelfTestOutcome::Running: return "in progress";
    case SelfTestOutcome::Unknown: break;
    }
    return "unknown";
}
