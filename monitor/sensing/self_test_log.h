// The drive's own self-test results: the ATA SMART self-test log (SMART READ LOG, log
// address 06h: a revision word, 21 descriptors of 24 bytes written round-robin, the index
// of the newest at byte 508, a checksum at 511) and the NVMe Device Self-test log page
// (06h: the test running now, then 20 results of 28 bytes, newest first). Decoded into
// one summary the viewer lists and the health verdict reads.
#pragma once

#include <cstdint>

constexpr unsigned kSelfTestLogSize = 512;
constexpr std::uint8_t kSmartReadLog = 0xD5;
constexpr std::uint8_t kSelfTestLogAddress = 0x06;
constexpr unsigned kAtaSelfTestDescriptors = 21;
constexpr unsigned kNvmeSelfTestLogSize = 564;
constexpr std::uint8_t kNvmeSelfTestLogId = 0x06;
constexpr unsigned kNvmeSelfTestResults = 20;
// NVMe Identify Controller: OACS bit 4, the controller supports Device Self-test.
constexpr unsigned kNvmeOacsOffset = 256;
constexpr std::uint8_t kNvmeOacsSelfTest = 0x10;
// Identify Controller bytes 316-317, EDSTT: an extended test's minutes; a short one takes
// at most two.
constexpr unsigned kNvmeEdsttOffset = 316;
constexpr unsigned kNvmeShortTestMinutes = 2;

enum class SelfTestKind : std::uint8_t { Other = 0, Short, Extended, Conveyance, Selective };

// How one test ended, in the ATA status nibble's terms (NVMe results are mapped to them).
enum class SelfTestOutcome : std::uint8_t {
    Passed = 0,           // completed without error
    Aborted = 1,          // by the host
    Interrupted = 2,      // by a reset
    Fatal = 3,            // a fatal error, or an unknown test error: could not complete
    FailedUnknown = 4,    // completed, a test element (NVMe: a segment) failed, which unknown
    FailedElectrical = 5,
    FailedServo = 6,      // servo or seek element
    FailedRead = 7,       // read element
    FailedHandling = 8,   // suspected handling damage
    FailedSegment = 9,    // NVMe: a segment failed (the first in `segment`, 0 when unknown)
    Running = 15,
    Unknown = 16,         // a status no standard gives
};

struct SelfTestEntry {
    SelfTestKind kind = SelfTestKind::Other;
    SelfTestOutcome outcome = SelfTestOutcome::Unknown;
    std::uint8_t remainingPercent = 0;  // ATA: of a test running or cut short
    std::uint8_t segment = 0;           // NVMe: the failed segment, 0 when none
    std::uint64_t powerOnHours = 0;
    bool lbaKnown = false;
    std::uint64_t firstFailingLba = 0;
};

// The log as read: `valid` false for a page that failed its checksum (it is not used).
// Entries newest first.
struct SelfTestLog {
    bool read = false;   // a log has been read from the drive
    bool valid = false;  // and it passed its checksum
    std::uint8_t count = 0;
    SelfTestEntry entries[kAtaSelfTestDescriptors];
    // NVMe page bytes 0-1: the test running now (0 none, 1 short, 2 extended, Eh vendor)
    // and how much of it is done, in percent. ATA logs keep 0: their status byte says it.
    std::uint8_t currentOperation = 0;
    std::uint8_t currentCompletion = 0;
};

// SMART EXECUTE OFF-LINE IMMEDIATE (feature D4h): LBA low 1 a short, 2 an extended self-test
// in off-line mode (the drive keeps serving commands and logs the result).
constexpr std::uint8_t kSmartExecuteOffline = 0xD4;
constexpr std::uint8_t kShortSelfTest = 1;
constexpr std::uint8_t kExtendedSelfTest = 2;
// SMART READ DATA byte 363: self-test execution status (bits 7:4 as a log entry's status,
// 15 running; bits 3:0 tenths remaining); bytes 372, 373: the short and extended tests'
// polling times in minutes (373 FFh: bytes 375-376 hold it).
constexpr unsigned kSelfTestStatusOffset = 363;
constexpr unsigned kShortPollingOffset = 372;
constexpr unsigned kExtendedPollingOffset = 373;
constexpr unsigned kExtendedPollingWordOffset = 375;
// SMART READ DATA byte 367, the off-line data collection capability: bit 4 self-tests.
constexpr unsigned kOfflineCapabilityOffset = 367;
constexpr std::uint8_t kCapabilitySelfTest = 0x10;
// From the attribute result (SMART READ DATA from byte 2 on): whether a self-test runs
// now, and the percent left.
bool SelfTestRunningNow(const std::uint8_t* attributeResult, unsigned& remainingPercent);
// The minutes the drive says a test takes, 0 when it does not say.
unsigned SelfTestMinutes(const std::uint8_t* attributeResult, bool extended);

// Whether a test that ended so says the drive failed it (3 to 9).
bool SelfTestFailed(SelfTestOutcome outcome);
// Whether the drive finished it (passed or failed): aborted, interrupted and running tests
// say nothing of the surface.
bool SelfTestCompleted(SelfTestOutcome outcome);
// The newest completed test, or null: the one the verdict reads.
const SelfTestEntry* NewestCompletedTest(const SelfTestLog& log);

// The 512 bytes of log 06h.
SelfTestLog DecodeAtaSelfTestLog(const std::uint8_t* sector);
// The 564 bytes of the NVMe page.
SelfTestLog DecodeNvmeSelfTestLog(const std::uint8_t* page);

// The extended comprehensive self-test log (General Purpose log 07h, READ LOG EXT 2Fh):
// the same tests with the whole 48-bit failing LBA. Each 512-byte page holds a revision,
// the index of the newest descriptor (word at 2, 1-based over all pages, in page 0),
// 19 descriptors of 26 bytes from byte 4, and a checksum at 511; the descriptors are
// written round-robin over all the log's pages. The GP log directory (log 00h) gives
// each log's page count in its word N.
constexpr std::uint8_t kAtaReadLogExt = 0x2F;
constexpr std::uint8_t kLogDirectoryAddress = 0x00;
constexpr std::uint8_t kExtendedSelfTestLogAddress = 0x07;
constexpr unsigned kExtendedSelfTestDescriptorsPerPage = 19;
// A log of more pages is not read: 06h tells its tests instead.
constexpr unsigned kExtendedSelfTestPagesMax = 4;
// The pages the directory gives log `address`; 0: the drive has no such log.
unsigned GpLogPages(const std::uint8_t* directory, std::uint8_t address);
// `pageCount` pages of log 07h, one after another (1 to kExtendedSelfTestPagesMax). Not
// valid when a page fails its checksum or the index names a descriptor beyond them.
SelfTestLog DecodeAtaExtendedSelfTestLog(const std::uint8_t* pages, unsigned pageCount);

// Lower-case English words for machine-read outputs and the viewer's English texts:
// "short", "extended", ...; "passed", "read element failed", ...
const char* SelfTestKindName(SelfTestKind kind);
const char* SelfTestOutcomeName(SelfTestOutcome outcome);
