// A simulated ATA drive's own self-test: started by SMART EXECUTE OFF-LINE IMMEDIATE, it
// runs over a few attribute reads as the execution status byte says, then logs its result
// as a drive does. The attribute read that steps it keeps the sector's checksum.
#include "simulated_disk.h"

#include "self_test_log.h"

#include <algorithm>

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
        // 90 % left at the first reading, falling evenly, never 0 while it runs.
        const unsigned tenths = std::max(1u, 9 * runningReadsLeft / selfTestReadings);
        status = static_cast<std::uint8_t>(0xF0 | tenths);
        --runningReadsLeft;
        return;
    }
    status = static_cast<std::uint8_t>(selfTestResult << 4);
    LogSelfTest(runningTest, selfTestResult, PowerOnHours(smartData), selfTestLba);
    SealSector(selfTestLog);
    runningTest = 0;
}
