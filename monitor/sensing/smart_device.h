// SmartDevice: one drive's S.M.A.R.T. context - the open device, the request record and
// the reply buffers. It reaches the drive only through the disk-control seam
// (ActiveDiskControl), so the same code runs on real and on simulated drives.
#pragma once

#include "ata_records.h"
#include "return_status.h"
#include "sat_passthrough.h"
#include "scsi_records.h"
#include "smart_records.h"
#include "wintypes.h"

#include <cstdint>

// How the ATA commands reach the drive: the disk driver's S.M.A.R.T. requests, or SCSI
// ATA PASS-THROUGH through a bridge (USB enclosures), in the form the bridge took.
enum class AtaRoute : std::uint8_t { Smart, Sat16, Sat12 };

// One command through a bridge: whether the drive did it, and its registers when the
// bridge returned them.
struct SatReply {
    bool done = false;
    bool formRejected = false;  // the bridge does not know this command block
    bool registersKnown = false;
    AtaRegisters registers;
};

// Time-outs of the commands through a bridge, in seconds: a spun-down disk may take this
// long to answer IDENTIFY or a S.M.A.R.T. read (the wait widely used tools allow), and
// a drive that stopped answering, or the power question, gets the short one.
constexpr std::uint32_t kSatSpinUpSeconds = 60;
constexpr std::uint32_t kSatShortSeconds = 5;
std::uint32_t SatTimeoutSeconds(std::uint8_t command, bool answering);

class SmartDevice {
public:
    SmartDevice() = default;
    SmartDevice(const SmartDevice&) = delete;
    SmartDevice& operator=(const SmartDevice&) = delete;
    ~SmartDevice() { Close(); }

    bool Open(std::uint8_t driveNumber);
    void Close();
    const GETVERSIONINPARAMS* GetVersion(std::uint32_t& bytesReturned);
    bool EnableSmart(std::uint32_t& bytesReturned);
    const std::uint8_t* Identify(std::uint32_t& bytesReturned);
    const std::uint8_t* ReadAttributes(std::uint32_t& bytesReturned);
    const std::uint8_t* ReadThresholds(std::uint32_t& bytesReturned);
    // SMART READ LOG of the self-test log (06h) on the drive's route: its 512 bytes or null.
    const std::uint8_t* ReadSelfTestLog(std::uint32_t& bytesReturned);
    // READ LOG EXT of one 512-byte page of General Purpose log `address`: a 48-bit command,
    // so only the disk driver's IOCTL_ATA_PASS_THROUGH (NT) or a 16-byte bridge carries it
    // (ReadsGpLogs). The page or null.
    bool ReadsGpLogs() const;
    const std::uint8_t* ReadLogExt(std::uint8_t address, std::uint16_t page);
    // SMART EXECUTE OFF-LINE IMMEDIATE: starts a short or extended self-test in off-line
    // mode (the drive goes on serving; data is never touched). False when refused.
    bool StartSelfTest(bool extended);
    bool FindAttribute(std::uint8_t id, std::uint8_t raw[6]) const;
    // RETURN STATUS on the drive's route: the disk driver's SMART_SEND_DRIVE_COMMAND (or,
    // `byAtaPassThrough`, IOCTL_ATA_PASS_THROUGH on the same handle), or the bridge's
    // pass-through with the registers asked back. NotAsked when no answer.
    ReturnStatus AskReturnStatus(bool byAtaPassThrough = false);
    // Whether the disk driver's S.M.A.R.T. requests reach the drive on a system whose
    // disk drivers also take IOCTL_ATA_PASS_THROUGH (the NT family).
    bool HasAtaPassThrough() const;

    // For a drive the S.M.A.R.T. requests do not reach: IDENTIFY DEVICE through the
    // 16-byte, then the 12-byte ATA PASS-THROUGH. The first form that works is kept, and
    // every later command (identify, enable, attributes, thresholds) goes that way.
    bool UseSatBridge();
    AtaRoute Route() const { return route_; }
    // One non-data command through the bridge with the registers asked back (CK_COND),
    // for commands whose answer is in the registers (CHECK POWER MODE leaves the power
    // state in the count). False when the drive is not reached through a bridge.
    SatReply SatNonData(const AtaTaskfile& task);
    // The same before the bridge's form is known (a drive asleep at start gets no
    // IDENTIFY to find it): the 16-byte, then the 12-byte form; the first the bridge takes
    // becomes the route for every later command.
    SatReply ProbeSatNonData(const AtaTaskfile& task);

    bool IsOpen() const { return handle_ != nullptr; }
    // The open device, for the NVMe queries that share it.
    HANDLE Handle() const { return handle_; }
    std::uint8_t DriveNumber() const { return driveNumber_; }
    std::uint8_t IdentifyCommand() const { return identifyCommand_; }
    const GETVERSIONINPARAMS* VersionResult() const { return versionResult_; }
    const std::uint8_t* IdentifyResult() const { return identifyResult_; }
    const std::uint8_t* AttributeResult() const { return attributeResult_; }
    const std::uint8_t* ThresholdResult() const { return thresholdResult_; }

private:
    // One SMART_RCV_DRIVE_DATA request into `reply`; the data bytes from `resultOffset`
    // on, or null on failure.
    // `lbaLow` is the sector number register: 1, or the log address of SMART READ LOG.
    const std::uint8_t* ReceiveData(BYTE features, BYTE cylLow, BYTE cylHigh, BYTE command,
                                    std::uint8_t* reply, unsigned resultOffset,
                                    std::uint32_t& bytesReturned, BYTE lbaLow = 1);
    void FillRequest(DWORD bufferSize, BYTE features, BYTE cylLow, BYTE cylHigh, BYTE command, BYTE lbaLow = 1);
    bool Send(DWORD code, const void* in, void* out, std::uint32_t& bytesReturned);
    void ClearResults();
    // One pass-through command in `form`; a data-in command's sector lands in `data`.
    SatReply SendSat(SatForm form, const SatRequest& request, std::uint8_t* data, std::uint32_t& bytesReturned);
    AtaTaskfile Taskfile(BYTE features, BYTE cylLow, BYTE cylHigh, BYTE command, BYTE lbaLow = 1) const;

    HANDLE handle_ = nullptr;
    std::uint8_t driveNumber_ = 0;
    std::uint8_t identifyCommand_ = 0;
    AtaRoute route_ = AtaRoute::Smart;
    bool answering_ = true;  // the bridge answered the last pass-through request
    const GETVERSIONINPARAMS* versionResult_ = nullptr;
    const std::uint8_t* identifyResult_ = nullptr;
    const std::uint8_t* attributeResult_ = nullptr;
    const std::uint8_t* thresholdResult_ = nullptr;
    std::uint32_t requestSize_ = 0;
    std::uint32_t replySize_ = 0;
    SENDCMDINPARAMS request_{};
    GETVERSIONINPARAMS version_{};
    std::uint8_t identifyReply_[kSmartReplySize]{};
    std::uint8_t attributeReply_[kSmartReplySize]{};
    std::uint8_t thresholdReply_[kSmartReplySize]{};
    std::uint8_t selfTestReply_[kSmartReplySize]{};
    SatPassThroughBlock satBlock_{};
    struct AtaDataBlock {
        ATA_PASS_THROUGH_EX header;
        std::uint8_t data[kSmartSectorSize];
    };
    AtaDataBlock logExtBlock_{};
    std::uint8_t logExtPage_[kSmartSectorSize]{};
};
