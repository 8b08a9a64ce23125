// SmartDevice: one drive's S.M.A.R.T. context - the open device, the request record and
// the reply buffers. It reaches the drive only through the disk-control seam
// (ActiveDiskControl), so the same code runs on real and on simulated drives.
#pragma once

#include "smart_records.h"
#include "wintypes.h"

#include <cstdint>

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
    bool FindAttribute(std::uint8_t id, std::uint8_t raw[6]) const;

    bool IsOpen() const { return handle_ != nullptr; }
    // The open device, for the NVMe queries that share it.
    HANDLE Handle() const { return handle_; }
    std::uint8_t DriveNumber() const { return driveNumber_; }
    std::uint8_t IdentifyCommand() const { return identifyCommand_; }
    const GETVERSIONINPARAMS* VersionResult() const { return versionResult_; }
    const std::uint8_t* IdentifyResult() const { return identifyResult_; }
    const std::uint8_t* AttributeResult() const { return attributeResult_; }
    const std::uint8_t* ThresholdResult() const { return thresholdResult_; }
    std::uint32_t RequestSize() const { return requestSize_; }
    std::uint32_t ReplySize() const { return replySize_; }
    const SENDCMDINPARAMS& RequestRecord() const { return request_; }

private:
    // One SMART_RCV_DRIVE_DATA request into `reply`; the data bytes from `resultOffset`
    // on, or null on failure.
    const std::uint8_t* ReceiveData(BYTE features, BYTE cylLow, BYTE cylHigh, BYTE command,
                                    std::uint8_t* reply, unsigned resultOffset,
                                    std::uint32_t& bytesReturned);
    void FillRequest(DWORD bufferSize, BYTE features, BYTE cylLow, BYTE cylHigh, BYTE command);
    bool Send(DWORD code, const void* in, void* out, std::uint32_t& bytesReturned);
    void ClearResults();

    HANDLE handle_ = nullptr;
    std::uint8_t driveNumber_ = 0;
    std::uint8_t identifyCommand_ = 0;
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
};
