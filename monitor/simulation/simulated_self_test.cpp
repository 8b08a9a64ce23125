// A simulated drive's own self-test: started by SMART EXECUTE OFF-LINE IMMEDIATE (ATA) or
// Device Self-test (NVMe), it runs over a few attribute or health reads as the execution
// status byte or the page's bytes 0-1 say, then logs its result as a drive does. The
// attribute read that steps it keeps the sector's checksum.
#include "simulated_disk.h"

#include "nvme_device.h"
#include "self_test_log.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr unsigned kPowerOnHoursId = 9;

std::uint16_t PowerOnHours(const std::uint8_t* smartData)
{
    for (unsigned i = 0; i < kSmartEntryCount; ++i) {
        const std::uint8_t* entry = smartData + kSmartTableOffset + i * kSmartEntrySize;
        if (entry[0] == kPowerOnHoursId) {
            return static_cast<std::uint16_t>(entry[kSmartRawOffset] | entry[kSmartRawOffset + 1] << 8);
        }
    }
    return 0;
}

// NVMe page 06h: the running test, its completion, then results of 28 bytes.
constexpr unsigned kNvmeResultOffset = 4;
constexpr unsigned kNvmeResultSize = 28;

std::uint64_t HealthHours(const std::uint8_t* health)
{
    std::uint64_t hours = 0;
    for (unsigned i = 8; i > 0; --i) {
        hours = hours << 8 | health[kNvmePowerOnHoursOffset + i - 1];
    }
    return hours;
}

// How much of a running test is left, in tenths: 9 at the first reading, falling evenly,
// never 0 while it runs (ATA's status nibble; an NVMe page says 100 less ten times it).
unsigned TenthsLeft(unsigned readsLeft, unsigned readings)
{
    return std::max(1u, 9 * readsLeft / readings);
}

}  // namespace

void SimulatedDrive::LogSelfTest(std::uint8_t subcommand, std::uint8_t status, std::uint16_t hours, std::uint64_t lba)
{
    const bool noLba = lba == 0xFFFFFFFFFFFF || lba == 0xFFFFFFFF;
    const unsigned n = selfTestsLogged++;
    const unsigned slot = n % kAtaSelfTestDescriptors;
    std::uint8_t* d = selfTestLog + 2 + slot * 24;
    std::fill(d, d + 24, std::uint8_t{0});
    d[0] = subcommand;
    d[1] = static_cast<std::uint8_t>(status << 4);
    d[2] = static_cast<std::uint8_t>(hours);
    d[3] = static_cast<std::uint8_t>(hours >> 8);
    const std::uint64_t lba28 = noLba ? 0xFFFFFFFF : lba & 0x0FFFFFFF;
    for (unsigned b = 0; b < 4; ++b) {
        d[5 + b] = static_cast<std::uint8_t>(lba28 >> (8 * b));
    }
    selfTestLog[508] = static_cast<std::uint8_t>(slot + 1);
    if (extendedSelfTestPages == 0) {
        return;
    }
    const unsigned slots = extendedSelfTestPages * kExtendedSelfTestDescriptorsPerPage;
    const unsigned extendedSlot = n % slots;
    std::uint8_t* page = extendedSelfTestLog + (extendedSlot / kExtendedSelfTestDescriptorsPerPage) * kSmartSectorSize;
    std::uint8_t* e = page + 4 + (extendedSlot % kExtendedSelfTestDescriptorsPerPage) * 26;
    std::fill(e, e + 26, std::uint8_t{0});
    std::copy(d, d + 5, e);
    const std::uint64_t lba48 = noLba ? 0xFFFFFFFFFFFF : lba;
    for (unsigned b = 0; b < 6; ++b) {
        e[5 + b] = static_cast<std::uint8_t>(lba48 >> (8 * b));
    }
    extendedSelfTestLog[2] = static_cast<std::uint8_t>(extendedSlot + 1);
    extendedSelfTestLog[3] = static_cast<std::uint8_t>((extendedSlot + 1) >> 8);
    SealSector(page);
    SealSector(extendedSelfTestLog);
}

const std::uint8_t* SimulatedDrive::GpLogPage(std::uint8_t address, unsigned page,
                                              std::uint8_t (&scratch)[kSmartSectorSize]) const
{
    if (extendedSelfTestPages == 0) {
        return nullptr;  // no General Purpose logs
    }
    if (address == kLogDirectoryAddress && page == 0) {
        std::fill(scratch, scratch + kSmartSectorSize, std::uint8_t{0});
        scratch[0] = 1;  // the directory's version
        scratch[2 * kExtendedSelfTestLogAddress] = extendedSelfTestPages;
        return scratch;
    }
    if (address == kExtendedSelfTestLogAddress && page < extendedSelfTestPages) {
        return extendedSelfTestLog + page * kSmartSectorSize;
    }
    return nullptr;
}

bool SimulatedDrive::StartSelfTest(std::uint8_t subcommand)
{
    if (!logsSelfTests || (subcommand != kShortSelfTest && subcommand != kExtendedSelfTest)) {
        return false;
    }
    if (selfTestReadings != 0) {
        runningTest = subcommand;
        runningReadsLeft = selfTestReadings;
    }
    return true;
}

void SimulatedDrive::StepSelfTest()
{
    if (runningTest == 0) {
        return;
    }
    std::uint8_t& status = smartData[kSelfTestStatusOffset];
    if (runningReadsLeft > 0) {
        const unsigned tenths = TenthsLeft(runningReadsLeft, selfTestReadings);
        status = static_cast<std::uint8_t>(0xF0 | tenths);
        --runningReadsLeft;
        return;
    }
    status = static_cast<std::uint8_t>(selfTestResult << 4);
    LogSelfTest(runningTest, selfTestResult, PowerOnHours(smartData), selfTestLba);
    SealSector(selfTestLog);
    runningTest = 0;
}

void SimulatedDrive::LogNvmeSelfTest(std::uint8_t code, std::uint8_t result, std::uint64_t hours, bool lbaValid,
                                     std::uint64_t lba)
{
    std::uint8_t* first = nvmeSelfTestLog + kNvmeResultOffset;
    std::memmove(first + kNvmeResultSize, first, kNvmeResultSize * (kNvmeSelfTestResults - 1));
    std::fill(first, first + kNvmeResultSize, std::uint8_t{0});
    first[0] = static_cast<std::uint8_t>(code << 4 | (result & 0x0F));
    first[1] = result == 7 ? 1 : 0;  // the failed segment
    first[2] = lbaValid ? 0x02 : 0x00;
    for (unsigned b = 0; b < 8; ++b) {
        first[4 + b] = static_cast<std::uint8_t>(hours >> (8 * b));
        first[16 + b] = static_cast<std::uint8_t>(lba >> (8 * b));
    }
}

bool SimulatedDrive::StartNvmeSelfTest(std::uint32_t stc)
{
    if ((nvmeIdentify[kNvmeOacsOffset] & kNvmeOacsSelfTest) == 0 || (stc != 1 && stc != 2) || runningTest != 0) {
        return false;
    }
    if (selfTestReadings != 0) {
        runningTest = static_cast<std::uint8_t>(stc);
        runningReadsLeft = selfTestReadings;
        nvmeSelfTestLog[0] = runningTest;
        nvmeSelfTestLog[1] = 0;
    }
    return true;
}

void SimulatedDrive::StepNvmeSelfTest()
{
    if (!nvme || runningTest == 0) {
        return;
    }
    if (runningReadsLeft > 0) {
        const unsigned tenths = TenthsLeft(runningReadsLeft, selfTestReadings);
        nvmeSelfTestLog[1] = static_cast<std::uint8_t>(100 - 10 * tenths);
        --runningReadsLeft;
        return;
    }
    nvmeSelfTestLog[0] = 0;
    nvmeSelfTestLog[1] = 0;
    LogNvmeSelfTest(runningTest, selfTestResult, HealthHours(health), selfTestLba != 0xFFFFFFFF, selfTestLba);
    runningTest = 0;
}

bool SimulatedDiskBus::AnswerProtocolCommand(int drive, const std::uint8_t* in, DWORD inSize, std::uint8_t* out,
                                             DWORD outSize, DWORD& returned)
{
    NvmeAdminCommand command;
    if (drive < 0 || drive >= static_cast<int>(kSimulatedDriveSlots) || out == nullptr ||
        outSize < sizeof(StorageProtocolCommand) || !ParseSelfTestCommand(in, inSize, command)) {
        return false;
    }
    SimulatedDrive& target = set_.drives[drive];
    if (!target.installed || !target.nvme || target.via != SimulatedNvmeVia::Direct ||
        command.namespaceId != kNvmeAllNamespaces) {
        return false;
    }
    StorageProtocolCommand answer;
    std::memcpy(&answer, in, sizeof answer);
    // The driver took the request; the drive's refusal (a test runs already) is its status.
    const bool started = target.StartNvmeSelfTest(command.cdw10);
    answer.ReturnStatus = started ? kProtocolStatusSuccess : kProtocolStatusError;
    selfTestsStarted_[drive] += started ? 1 : 0;
    std::memcpy(out, &answer, sizeof answer);
    returned = sizeof answer;
    return true;
}
