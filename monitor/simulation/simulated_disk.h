// Simulated ATA and NVMe drives behind the disk-control seam. The bus answers
// SMART_GET_VERSION, SMART_SEND_DRIVE_COMMAND and SMART_RCV_DRIVE_DATA the way a disk
// driver does (version record, SENDCMDOUTPARAMS header, 512 data bytes, byte counts),
// IOCTL_STORAGE_QUERY_PROPERTY and IOCTL_STORAGE_PROTOCOL_COMMAND the way the NVMe driver
// does (and IOCTL_DISK_GET_LENGTH_INFO for NVMe drives, as the disk driver does), and
// records every request,
// so tests can see exactly what went to the drives. Drive sets are built in code or read
// from a drive-set file (driveset_file.h).
#pragma once

#include "ata_records.h"
#include "disk_control.h"
#include "disk_length_records.h"
#include "nvme_records.h"
#include "return_status.h"
#include "scsi_records.h"
#include "smart_records.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

constexpr unsigned kSimulatedDriveSlots = 16;

// The steps at which a simulated drive can be told to fail.
struct SimulatedFailures {
    bool open = false;        // the device cannot be opened (on 9x: the drive never answers)
    bool version = false;     // SMART_GET_VERSION fails
    bool enable = false;      // SMART ENABLE OPERATIONS fails
    bool identify = false;    // IDENTIFY (DEVICE or PACKET DEVICE) fails
    bool thresholds = false;  // READ THRESHOLDS fails
    // Attribute reads, numbered from 1 (enumeration's read), fail from this one on;
    // 0 means they never fail.
    std::uint32_t attributesFrom = 0;
    // NVMe drives: health-log reads, numbered from 1 (enumeration's read), fail from this
    // one on; 0 means never. `identify` above refuses the identify controller request.
    std::uint32_t healthFrom = 0;
    // Drives behind a SAT bridge: SCSI pass-through requests, numbered from 1, fail from
    // this one on as a time-out does (the request returns FALSE); 0 means never.
    std::uint32_t answersFrom = 0;
};

// A USB bridge in front of an ATA drive: the disk driver's S.M.A.R.T. requests do not
// reach the drive, the bus type is USB, and the drive's own identify, attributes,
// thresholds and S.M.A.R.T. ENABLE answer through IOCTL_SCSI_PASS_THROUGH with the ATA
// PASS-THROUGH forms the bridge knows. NoStatus bridges leave the ATA Status Return
// descriptor out of the sense data.
// Sat16FixedSense answers failures in fixed-format sense data without the registers,
// and aborts CHECK POWER MODE so.
enum class SimulatedBridge : std::uint8_t { None, Sat16, Sat12, Sat16NoStatus, Sat16FixedSense };

// How an NVMe drive is reached when the inbox driver's storage queries do not: behind a
// USB bridge answering only its maker's pass-through form, behind one that answers the
// identify but hands back stale bytes for the health log, or behind Intel RST.
enum class SimulatedNvmeVia : std::uint8_t { Direct, JMicron, ASMedia, Realtek, RealtekGarbling, IntelRst };

struct SimulatedDrive {
    bool installed = false;
    SimulatedBridge bridge = SimulatedBridge::None;
    bool atapi = false;
    std::uint8_t identify[kSmartSectorSize] = {};
    std::uint8_t smartData[kSmartSectorSize] = {};
    std::uint8_t thresholds[kSmartSectorSize] = {};
    // Each successful attribute read puts the next value of this list (repeated) into
    // raw byte 0 of attribute temperatureId. An empty list leaves the data as it is.
    std::uint8_t temperatureId = 0;
    std::vector<std::uint8_t> temperatures;
    // Attribute values that change over reads: read n (from 1) sets attribute `id`'s raw
    // count (the six raw bytes) or its normalised value to the n-th value of the list;
    // past the end the last value stays, as a count that rose stays risen.
    struct AttributeSeries {
        std::uint8_t id = 0;
        bool normalised = false;
        std::vector<std::uint64_t> values;
    };
    std::vector<AttributeSeries> attributeSeries;
    // Its answers to S.M.A.R.T. RETURN STATUS, through SMART_SEND_DRIVE_COMMAND, the ATA or
    // a bridge's pass-through: question n (from 1) gets the n-th, past the end the last
    // stays; empty: always passed. Refused: aborted, no registers.
    enum class Status : std::uint8_t { Passed, Failing, Refused };
    std::vector<Status> returnStatuses;
    Status ReturnStatusAt(std::uint32_t ask) const;
    SimulatedFailures fail;

    // Its S.M.A.R.T. self-test log (SMART READ LOG, address 06h), answered where IDENTIFY
    // says it logs self-tests (word 84 bit 1, set by the first "self-test" line).
    bool logsSelfTests = false;
    std::uint8_t selfTestLog[kSmartSectorSize] = {};
    unsigned selfTestsLogged = 0;
    // A self-test started by SMART EXECUTE OFF-LINE IMMEDIATE runs for selfTestReadings
    // attribute reads (0: it leaves no trace), byte 363 saying how much is left, and then
    // ends with selfTestResult (the status nibble), logged with attribute 9's hours and
    // selfTestLba (all ones: none).
    std::uint32_t selfTestReadings = 0;
    std::uint8_t selfTestResult = 0;
    std::uint64_t selfTestLba = 0xFFFFFFFFFFFF;
    std::uint8_t runningTest = 0;  // the subcommand of the test running now, 0 none
    std::uint32_t runningReadsLeft = 0;
    // Its extended self-test log (General Purpose log 07h, READ LOG EXT) of this many pages
    // (0: none; "self-test-extended" sets it and IDENTIFY's GPL and 48-bit bits).
    std::uint8_t extendedSelfTestPages = 0;
    std::uint8_t extendedSelfTestLog[4 * kSmartSectorSize] = {};
    // One more entry of the self-test log, round-robin over its 21 descriptors, with the
    // index byte at 508 and LBA 27:0 as 06h keeps it; the caller seals the sector. A drive
    // with log 07h logs it there too, with the whole LBA (those pages sealed here).
    void LogSelfTest(std::uint8_t subcommand, std::uint8_t status, std::uint16_t hours, std::uint64_t lba);
    // The page READ LOG EXT reads of General Purpose log `address` (00h the directory,
    // built in `scratch`; 07h), or null when the drive has no such page.
    const std::uint8_t* GpLogPage(std::uint8_t address, unsigned page, std::uint8_t (&scratch)[kSmartSectorSize]) const;
    // SMART EXECUTE OFF-LINE IMMEDIATE subcommand 1 or 2: whether the drive takes it.
    bool StartSelfTest(std::uint8_t subcommand);
    // With each attribute read: the running test's tenths left fall, and after its
    // readings it ends and is logged.
    void StepSelfTest();

    // Power: which of the two power questions the drive answers (CHECK POWER MODE through
    // IOCTL_ATA_PASS_THROUGH, GetDevicePowerState), and when it is spun down. Its clock is
    // the CHECK POWER MODE requests it receives (answered or not), numbered from 1: it is
    // in standby from request sleepFrom through sleepTo (0: it never wakes); sleepFrom 0
    // means it never sleeps.
    // asleepAtStart: in standby before its first request, through request sleepTo.
    bool answersCheckPower = true;
    bool answersPowerState = true;
    bool asleepAtStart = false;
    std::uint32_t sleepFrom = 0;
    std::uint32_t sleepTo = 0;
    // Whether it is in standby after `checks` power questions.
    bool AsleepAfter(std::uint32_t checks) const
    {
        const bool started = asleepAtStart || (sleepFrom != 0 && checks >= sleepFrom);
        return started && (sleepTo == 0 || checks <= sleepTo);
    }

    // An NVMe drive answers only the storage-property queries, from these two pages.
    // Each successful health read reports the next kelvin value of the list (repeated).
    bool nvme = false;
    SimulatedNvmeVia via = SimulatedNvmeVia::Direct;
    std::uint8_t nvmeIdentify[kNvmeIdentifySize] = {};
    std::uint8_t health[kNvmeHealthSize] = {};
    // Its Device Self-test log page (06h), answered once a "nvme-self-test" line set OACS
    // bit 4 in identify controller.
    std::uint8_t nvmeSelfTestLog[564] = {};
    // One more result at the top of the page (the older ones move down, 20 kept), as the
    // drive writes it: CODE 1 short, 2 extended; RESULT the status nibble.
    void LogNvmeSelfTest(std::uint8_t code, std::uint8_t result, std::uint64_t hours, bool lbaValid, std::uint64_t lba);
    // Device Self-test with STC 1 or 2: refused without OACS bit 4 or while one runs. With
    // selfTestReadings (an "nvme-self-test-runs" line) it runs over that many health reads,
    // page bytes 0-1 saying so, then logs selfTestResult with the health log's hours.
    bool StartNvmeSelfTest(std::uint32_t stc);
    void StepNvmeSelfTest();
    std::vector<std::uint16_t> healthKelvins;
    // Health-log fields that change over reads, as AttributeSeries (the last value stays).
    struct HealthSeries {
        unsigned offset = 0;
        unsigned size = 0;
        std::vector<std::uint64_t> values;
    };
    std::vector<HealthSeries> healthSeries;
    // The disk driver's length in bytes (IOCTL_DISK_GET_LENGTH_INFO); 0: not answered.
    std::uint64_t diskLength = 0;

    // A drive only the storage stack's temperature property reaches (a USB or RAID
    // driver that passes no ATA command on): every S.M.A.R.T. and pass-through request
    // fails, the device descriptor carries the identity's model, firmware and serial, and
    // each temperature-property read reports the next value of the list (repeated).
    bool propertyOnly = false;
    std::int16_t propertyWarning = 0;
    std::int16_t propertyCritical = 0;
    std::vector<std::int16_t> propertyTemperatures;

    // A fresh ATA drive: identity defaults, udma 5, empty attribute and threshold tables.
    void Install(unsigned number);

    // Identity (IDENTIFY words 10-19, 23-26, 27-46 as ATA strings; 60-61 and 100-103;
    // 62, 63, 88). A mode of -1 selects no mode of that kind.
    void SetModel(const char* text);
    void SetFirmware(const char* text);
    void SetSerial(const char* text);
    void SetSectorCount(std::uint64_t sectors);
    void SetSingleWordDma(int mode);
    void SetMultiWordDma(int mode);
    void SetUltraDma(int mode);
    void SetDmaModes(int singleWord, int multiWord, int ultra);
    void SetAtapi(bool on);

    // Attribute and threshold rows replace the entry with the same id, else take the first
    // free entry; false when all 30 entries are taken.
    bool SetAttribute(std::uint8_t id, std::uint16_t flags, std::uint8_t value, std::uint8_t worst,
                      const std::uint8_t raw[6]);
    bool SetThreshold(std::uint8_t id, std::uint8_t value);
    // Shorthand: attribute `id` (created with flags 0x0022, value and worst 100 if missing)
    // reports the given temperatures in turn.
    bool SetTemperatures(std::uint8_t id, const std::vector<std::uint8_t>& values);

    // Recomputes the checksum byte (511) of the three sectors, as drives report it.
    void SealSectors();
    // Attribute read `read` (from 1): the temperature list and the attribute series put
    // their values into the attribute sector, and a running self-test moves on (checksum
    // kept right). Both buses call it.
    void StepAttributes(std::uint32_t read);
    // Health read `read` (from 1): the kelvin list and the health series.
    void StepHealth(std::uint32_t read);

    // Makes the drive a fresh NVMe drive: identity defaults, NVMe 1.4, thresholds 343 K
    // and 358 K, 512 GB, spare 100 %, 35 degrees C.
    void MakeNvme(unsigned number);
    // Identify controller fields (space-padded ASCII), and the drive's size in bytes: the
    // total capacity and the disk length.
    void SetNvmeText(unsigned offset, unsigned length, const char* text);
    void SetNvmeCapacity(std::uint64_t bytes);
    // A little-endian health-log field of 1 to 16 bytes.
    void SetHealthField(unsigned offset, unsigned size, std::uint64_t value);
};

// The registers a drive leaves after RETURN STATUS answered passed or failing.
AtaRegisters ReturnStatusRegisters(SimulatedDrive::Status status);

// Sets the checksum byte (511) so that the sector's bytes sum to zero, as drives do.
void SealSector(std::uint8_t* sector);

// One line of a counts file: "drive N smart S asleep A checks C sleeping 0|1".
std::string CountsLine(unsigned drive, std::uint64_t smart, std::uint64_t asleep, std::uint32_t checks, bool sleeping);
// Rewrites a counts file in place (a reader waits for the closing "end" line).
void WriteCountsFile(const std::string& path, const std::string& text);
// What a USB-NVMe bridge's inquiry data name (the maker, the chip); false for a drive
// not behind one of them.
bool BridgeInquiry(SimulatedNvmeVia via, std::string& vendor, std::string& product);
// The identity an ATA drive's device descriptor gives without asking it, as the SCSI
// translation of an ATA port does: vendor "ATA", the model cut to 16 characters, the
// firmware to 4, the whole serial.
void ScsiStyleIdentity(const SimulatedDrive& drive, std::string& vendor, std::string& product,
                       std::string& revision, std::string& serial);

struct DriveSet {
    std::uint32_t platformId = kPlatformWindowsNT;
    SimulatedDrive drives[kSimulatedDriveSlots];
    // When not empty, the bus rewrites this file with every drive's command counts after
    // each S.M.A.R.T. command and power question (see WriteCounts).
    std::string countsFile;
};

// One request as the bus received it.
struct SimulatedRequest {
    int drive = -1;  // the drive it reached, -1 when none
    DWORD code = 0;
    std::uint8_t record[kSmartRequestSize] = {};  // the input bytes (zeros when none)
    DWORD inSize = 0;
    DWORD outSize = 0;
    bool succeeded = false;
    std::uint8_t opcode = 0;  // pass-through requests: the command block's operation code
};

// One open as the bus received it.
struct SimulatedOpen {
    std::string name;
    DWORD access = 0;
    DWORD share = 0;
    DWORD creation = 0;
    bool succeeded = false;
};

class SimulatedDiskBus final : public DiskControl {
public:
    explicit SimulatedDiskBus(const DriveSet& set);

    std::uint32_t PlatformId() override { return set_.platformId; }
    HANDLE Open(const char* name, DWORD access, DWORD share, DWORD creation) override;
    bool Request(HANDLE handle, DWORD code, const void* in, DWORD inSize, void* out,
                 DWORD outSize, DWORD* bytesReturned) override;
    void Close(HANDLE handle) override;
    bool DevicePowerState(HANDLE handle, bool& on) override;

    // Per drive number: S.M.A.R.T. commands received (SMART_SEND_DRIVE_COMMAND and
    // SMART_RCV_DRIVE_DATA that reached it), those of them that came while it was spun
    // down (each would have woken a real drive), and CHECK POWER MODE requests received.
    // ClearLog does not reset them.
    std::uint64_t SmartCommands(unsigned drive) const;
    std::uint64_t SmartCommandsAsleep(unsigned drive) const;
    std::uint32_t PowerChecks(unsigned drive) const;
    // RETURN STATUS questions received, every way (counted among the S.M.A.R.T. commands).
    std::uint32_t StatusQuestions(unsigned drive) const { return statusAsks_[drive % kSimulatedDriveSlots]; }
    // SMART READ LOG requests of the self-test log a drive answered (and READ LOG EXT of
    // log 07h pages), and those of them that came while it was spun down.
    std::uint32_t SelfTestLogReads(unsigned drive) const { return selfTestLogReads_[drive % kSimulatedDriveSlots]; }
    // READ LOG EXT requests of the log directory (00h) a drive answered.
    std::uint32_t GpDirectoryReads(unsigned drive) const { return gpDirectoryReads_[drive % kSimulatedDriveSlots]; }
    // Self-tests started by SMART EXECUTE OFF-LINE IMMEDIATE through the disk driver, or by
    // Device Self-test through the NVMe driver's protocol command.
    std::uint32_t SelfTestsStarted(unsigned drive) const { return selfTestsStarted_[drive % kSimulatedDriveSlots]; }
    std::uint32_t SelfTestLogReadsAsleep(unsigned drive) const
    {
        return selfTestLogReadsAsleep_[drive % kSimulatedDriveSlots];
    }
    bool Asleep(unsigned drive) const;
    // The counts as text: "drive N smart S asleep A checks C sleeping 0|1" per installed
    // drive, then "end".
    std::string CountsText() const;

    // What the drives saw.
    const std::vector<SimulatedRequest>& Requests() const { return requests_; }
    const std::vector<SimulatedOpen>& Opens() const { return opens_; }
    std::uint64_t RequestCount() const { return requestCount_; }
    std::uint64_t RequestCount(DWORD code) const;
    std::uint64_t OpenCount() const { return openCount_; }
    std::uint64_t CloseCount() const { return closeCount_; }
    unsigned OpenHandles() const;
    // Forgets the recorded requests and zeroes the counters (drive state stays).
    void ClearLog();
    // Whether Requests() keeps growing; counters always count.
    void RecordRequests(bool on) { recording_ = on; }

    const DriveSet& Drives() const { return set_; }

private:
    struct OpenDevice {
        HANDLE handle;
        int drive;  // -1: the 9x driver, which reaches every drive by bDriveNumber
    };

    bool Answer(int drive, DWORD code, const std::uint8_t* in, DWORD inSize, std::uint8_t* out,
                DWORD outSize, DWORD& returned);
    bool AnswerData(SimulatedDrive& drive, unsigned number, const SENDCMDINPARAMS& request,
                    std::uint8_t* out);
    bool AnswerScsiPassThrough(SimulatedDrive& drive, unsigned number, const std::uint8_t* in, DWORD inSize,
                               std::uint8_t* out, DWORD outSize, DWORD& returned);
    bool AnswerStorageQuery(SimulatedDrive& drive, unsigned number, const std::uint8_t* in, DWORD inSize,
                            std::uint8_t* out, DWORD outSize, DWORD& returned);
    // NVMe drives behind a USB bridge or RST (simulated_nvme_routes.cpp).
    bool AnswerNvmeBridge(SimulatedDrive& drive, unsigned number, const std::uint8_t* in, DWORD inSize,
                          std::uint8_t* out, DWORD outSize, DWORD& returned);
    // StorNVMe's protocol command, which carries only Device Self-test here (simulated_self_test.cpp).
    bool AnswerProtocolCommand(int drive, const std::uint8_t* in, DWORD inSize, std::uint8_t* out, DWORD outSize,
                               DWORD& returned);
    bool AnswerScsiAddress(int drive, std::uint8_t* out, DWORD outSize, DWORD& returned);
    bool AnswerRstMiniport(int drive, const std::uint8_t* in, DWORD inSize, std::uint8_t* out, DWORD outSize,
                           DWORD& returned);
    // The page an NVMe admin command reads (identify controller or the health log, counted
    // as reads), or null when the drive refuses it.
    const std::uint8_t* NvmePage(SimulatedDrive& drive, unsigned number, std::uint8_t opcode, std::uint32_t cdw10,
                                 std::uint32_t length);
    bool AnswerAtaPassThrough(SimulatedDrive& drive, unsigned number, const std::uint8_t* in, DWORD inSize,
                              std::uint8_t* out, DWORD outSize, DWORD& returned);
    // READ LOG EXT of one page (the ATA pass-through and the 16-byte bridge block carry
    // it) into `data`, counted among the self-test log reads; false when refused.
    bool AnswerReadLogExt(SimulatedDrive& drive, unsigned number, const AtaTaskfile& task, std::uint8_t* data,
                          std::uint32_t size);
    void CountSmartCommand(int drive);
    void WriteCounts() const;
    bool AnswerDeviceDescriptor(const SimulatedDrive& drive, std::uint8_t* out, DWORD outSize, DWORD& returned);
    bool AnswerTemperatureProperty(SimulatedDrive& drive, unsigned number, std::uint8_t* out, DWORD outSize,
                                   DWORD& returned);
    std::uint8_t DeviceMap() const;
    const OpenDevice* Find(HANDLE handle) const;

    // The drives may be asked from two threads (the viewer starts a self-test on its own).
    std::mutex mutex_;
    DriveSet set_;
    std::uint32_t attributeReads_[kSimulatedDriveSlots] = {};
    std::uint32_t healthReads_[kSimulatedDriveSlots] = {};
    std::uint64_t smartCommands_[kSimulatedDriveSlots] = {};
    std::uint64_t smartCommandsAsleep_[kSimulatedDriveSlots] = {};
    std::uint32_t powerChecks_[kSimulatedDriveSlots] = {};
    std::uint32_t propertyReads_[kSimulatedDriveSlots] = {};
    std::uint32_t passThroughs_[kSimulatedDriveSlots] = {};
    std::uint32_t statusAsks_[kSimulatedDriveSlots] = {};
    std::uint32_t selfTestLogReads_[kSimulatedDriveSlots] = {};
    std::uint32_t selfTestLogReadsAsleep_[kSimulatedDriveSlots] = {};
    std::uint32_t selfTestsStarted_[kSimulatedDriveSlots] = {};
    std::uint32_t gpDirectoryReads_[kSimulatedDriveSlots] = {};
    // A JMicron bridge's command between its three steps, and the last one's outcome.
    struct JmicronCommand {
        bool pending = false;
        bool failed = false;
        std::uint8_t opcode = 0;
        std::uint32_t cdw10 = 0;
    };
    JmicronCommand jmicron_[kSimulatedDriveSlots];
    std::vector<OpenDevice> open_;
    std::uintptr_t nextHandle_ = 0x1000;
    std::vector<SimulatedRequest> requests_;
    std::vector<SimulatedOpen> opens_;
    bool recording_ = true;
    std::uint64_t requestCount_ = 0;
    std::uint64_t versionCount_ = 0;
    std::uint64_t sendCount_ = 0;
    std::uint64_t receiveCount_ = 0;
    std::uint64_t storageQueryCount_ = 0;
    std::uint64_t diskLengthCount_ = 0;
    std::uint64_t passThroughCount_ = 0;     // SCSI pass-through (bridges)
    std::uint64_t ataPassThroughCount_ = 0;  // ATA pass-through (power checks)
    std::uint64_t openCount_ = 0;
    std::uint64_t closeCount_ = 0;
};

// Installs a bus as the active disk control for as long as it lives, then restores the
// default. Used by tests, the benchmark and the simulated-drive build.
class ScopedDiskControl {
public:
    explicit ScopedDiskControl(DiskControl& control) { InstallDiskControl(&control); }
    ~ScopedDiskControl() { InstallDiskControl(nullptr); }
    ScopedDiskControl(const ScopedDiskControl&) = delete;
    ScopedDiskControl& operator=(const ScopedDiskControl&) = delete;
};
