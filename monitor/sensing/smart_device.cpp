#include "smart_device.h"

#include "ata_records.h"
#include "disk_control.h"
#include "self_test_log.h"

#include <cstdio>
#include <cstddef>
#include <cstring>
#include <initializer_list>

std::uint32_t SatTimeoutSeconds(std::uint8_t command, bool answering)
{
    // CHECK POWER MODE never spins a disk up; the others may wait for it, as long as the
    // drive has been answering. One that stopped costs the long wait once.
    return command != kAtaCheckPowerMode && answering ? kSatSpinUpSeconds : kSatShortSeconds;
}

bool SmartDevice::Open(std::uint8_t driveNumber)
{
    if (handle_ != nullptr) {
        return false;
    }
    driveNumber_ = driveNumber;

    DiskControl& disk = ActiveDiskControl();
    HANDLE handle = INVALID_HANDLE_VALUE;
    switch (disk.PlatformId()) {
    case kPlatformWindows9x:
        // One driver for all drives; each request names its drive.
        handle = disk.Open("\\\\.\\SMARTVSD", kAccessNone, kShareNone, kCreateNew);
        break;
    case kPlatformWindowsNT: {
        char name[32];
        std::snprintf(name, sizeof(name), "\\\\.\\PHYSICALDRIVE%d", driveNumber);
        handle = disk.Open(name, kAccessReadWrite, kShareReadWrite, kOpenExisting);
        break;
    }
    default:
        break;
    }
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr) {
        return false;
    }
    handle_ = handle;
    ClearResults();
    return true;
}

void SmartDevice::Close()
{
    if (handle_ == nullptr) {
        return;
    }
    ActiveDiskControl().Close(handle_);
    handle_ = nullptr;
    driveNumber_ = 0;
    identifyCommand_ = 0;
    route_ = AtaRoute::Smart;
    answering_ = true;
    ClearResults();
}

void SmartDevice::ClearResults()
{
    versionResult_ = nullptr;
    identifyResult_ = nullptr;
    attributeResult_ = nullptr;
    thresholdResult_ = nullptr;
}

bool SmartDevice::Send(DWORD code, const void* in, void* out, std::uint32_t& bytesReturned)
{
    DWORD returned = 0;
    const bool ok = ActiveDiskControl().Request(handle_, code, in, requestSize_, out,
                                                replySize_, &returned);
    bytesReturned = returned;
    return ok;
}

const GETVERSIONINPARAMS* SmartDevice::GetVersion(std::uint32_t& bytesReturned)
{
    versionResult_ = nullptr;
    if (handle_ == nullptr) {
        return nullptr;
    }
    requestSize_ = 0;
    replySize_ = kVersionRecordSize;
    std::memset(&version_, 0, sizeof(version_));
    if (!Send(kSmartGetVersion, nullptr, &version_, bytesReturned)) {
        return nullptr;
    }
    versionResult_ = &version_;

    // bIDEDeviceMap: bits 0-3 an IDE device per drive number, bits 4-7 an ATAPI one.
    // Drive numbers from 4 on shift the ATAPI bits out and count as IDE.
    const unsigned deviceMap = version_.bIDEDeviceMap;
    if (((deviceMap >> driveNumber_) & 0x10) != 0) {
        identifyCommand_ = kAtaIdentifyPacketDevice;
        return versionResult_;
    }
    identifyCommand_ = kAtaIdentifyDevice;
    std::uint32_t enableBytes = 0;
    EnableSmart(enableBytes);
    return versionResult_;
}

void SmartDevice::FillRequest(DWORD bufferSize, BYTE features, BYTE cylLow, BYTE cylHigh,
                              BYTE command, BYTE lbaLow)
{
    std::memset(&request_, 0, kSmartRequestSize);
    request_.cBufferSize = bufferSize;
    request_.irDriveRegs.bFeaturesReg = features;
    request_.irDriveRegs.bSectorCountReg = 1;
    request_.irDriveRegs.bSectorNumberReg = lbaLow;
    request_.irDriveRegs.bCylLowReg = cylLow;
    request_.irDriveRegs.bCylHighReg = cylHigh;
    // Bit 4 selects the slave device of a channel for the 9x driver, which reaches every
    // drive by number. NT drivers address the drive by its handle and want it clear.
    const bool slave = ActiveDiskControl().PlatformId() == kPlatformWindows9x && (driveNumber_ & 1) != 0;
    request_.irDriveRegs.bDriveHeadReg = static_cast<BYTE>(0xA0 | (slave ? 0x10 : 0));
    request_.irDriveRegs.bCommandReg = command;
    request_.bDriveNumber = driveNumber_;
}

bool SmartDevice::EnableSmart(std::uint32_t& bytesReturned)
{
    if (handle_ == nullptr) {
        return false;
    }
    if (route_ != AtaRoute::Smart) {
        return SatNonData(Taskfile(kSmartEnableOperations, kSmartCylLow, kSmartCylHigh, kAtaSmart)).done;
    }
    requestSize_ = kSmartRequestSize;
    replySize_ = kSmartStatusSize;
    FillRequest(0, kSmartEnableOperations, kSmartCylLow, kSmartCylHigh, kAtaSmart);
    std::uint8_t status[kSmartStatusSize] = {};
    return Send(kSmartSendDriveCommand, &request_, status, bytesReturned);
}

const std::uint8_t* SmartDevice::ReceiveData(BYTE features, BYTE cylLow, BYTE cylHigh,
                                             BYTE command, std::uint8_t* reply,
                                             unsigned resultOffset, std::uint32_t& bytesReturned, BYTE lbaLow)
{
    std::memset(reply, 0, kSmartReplySize);
    if (route_ != AtaRoute::Smart) {
        SatRequest request;
        request.task = Taskfile(features, cylLow, cylHigh, command, lbaLow);
        request.transfer = SatTransfer::SectorsIn;
        const SatForm form = route_ == AtaRoute::Sat16 ? SatForm::Sixteen : SatForm::Twelve;
        if (!SendSat(form, request, reply + kSmartStatusSize, bytesReturned).done) {
            return nullptr;
        }
        return reply + kSmartStatusSize + resultOffset;
    }
    requestSize_ = kSmartRequestSize;
    replySize_ = kSmartReplySize;
    FillRequest(kSmartSectorSize, features, cylLow, cylHigh, command, lbaLow);
    if (!Send(kSmartRcvDriveData, &request_, reply, bytesReturned)) {
        return nullptr;
    }
    return reply + kSmartStatusSize + resultOffset;
}

const std::uint8_t* SmartDevice::Identify(std::uint32_t& bytesReturned)
{
    identifyResult_ = nullptr;
    if (handle_ == nullptr) {
        return nullptr;
    }
    identifyResult_ = ReceiveData(0, 0, 0, identifyCommand_, identifyReply_, 0, bytesReturned);
    return identifyResult_;
}

const std::uint8_t* SmartDevice::ReadAttributes(std::uint32_t& bytesReturned)
{
    attributeResult_ = nullptr;
    if (handle_ == nullptr) {
        return nullptr;
    }
    attributeResult_ = ReceiveData(kSmartReadData, kSmartCylLow, kSmartCylHigh, kAtaSmart,
                                   attributeReply_, kSmartTableOffset, bytesReturned);
    return attributeResult_;
}

const std::uint8_t* SmartDevice::ReadThresholds(std::uint32_t& bytesReturned)
{
    thresholdResult_ = nullptr;
    if (handle_ == nullptr) {
        return nullptr;
    }
    thresholdResult_ = ReceiveData(kSmartReadThresholds, kSmartCylLow, kSmartCylHigh, kAtaSmart,
                                   thresholdReply_, kSmartTableOffset, bytesReturned);
    return thresholdResult_;
}

const std::uint8_t* SmartDevice::ReadSelfTestLog(std::uint32_t& bytesReturned)
{
    if (handle_ == nullptr) {
        return nullptr;
    }
    return ReceiveData(kSmartReadLog, kSmartCylLow, kSmartCylHigh, kAtaSmart, selfTestReply_, 0, bytesReturned,
                       kSelfTestLogAddress);
}

bool SmartDevice::ReadsGpLogs() const
{
    return HasAtaPassThrough() || (handle_ != nullptr && route_ == AtaRoute::Sat16);
}

const std::uint8_t* SmartDevice::ReadLogExt(std::uint8_t address, std::uint16_t page)
{
    if (!ReadsGpLogs()) {
        return nullptr;
    }
    // LBA 7:0 the log, 15:8 and 39:32 the page; one page a time.
    AtaTaskfile task = Taskfile(0, static_cast<BYTE>(page), 0, kAtaReadLogExt, address);
    task.extend = true;
    task.lbaMidHigh = static_cast<std::uint8_t>(page >> 8);
    if (route_ == AtaRoute::Sat16) {
        SatRequest request;
        request.task = task;
        request.transfer = SatTransfer::SectorsIn;
        std::uint32_t bytes = 0;
        return SendSat(SatForm::Sixteen, request, logExtPage_, bytes).done ? logExtPage_ : nullptr;
    }
    std::memset(&logExtBlock_, 0, sizeof logExtBlock_);
    ATA_PASS_THROUGH_EX& header = logExtBlock_.header;
    header.Length = static_cast<std::uint16_t>(sizeof header);
    header.AtaFlags = kAtaFlagDrdyRequired | kAtaFlagDataIn | kAtaFlag48Bit;
    header.DataTransferLength = kSmartSectorSize;
    header.TimeOutValue = SatTimeoutSeconds(task.command, true);
    header.DataBufferOffset = offsetof(AtaDataBlock, data);
    const BYTE previous[8] = {0, task.sectorCountHigh, task.lbaLowHigh, task.lbaMidHigh, task.lbaHighHigh, 0, 0, 0};
    const BYTE current[8] = {task.features, task.sectorCount, task.lbaLow, task.lbaMid,
                             task.lbaHigh, task.device, task.command, 0};
    std::memcpy(header.PreviousTaskFile, previous, sizeof previous);
    std::memcpy(header.CurrentTaskFile, current, sizeof current);
    DWORD returned = 0;
    const bool ok = ActiveDiskControl().Request(handle_, kIoctlAtaPassThrough, &logExtBlock_, sizeof logExtBlock_,
                                                &logExtBlock_, sizeof logExtBlock_, &returned);
    const BYTE status = header.CurrentTaskFile[kTaskCommand];
    if (!ok || returned < sizeof logExtBlock_ || (status & (kAtaStatusError | kAtaStatusDeviceFault | kAtaStatusBusy)) != 0) {
        return nullptr;
    }
    std::memcpy(logExtPage_, logExtBlock_.data, kSmartSectorSize);
    return logExtPage_;
}

bool SmartDevice::StartSelfTest(bool extended)
{
    if (handle_ == nullptr) {
        return false;
    }
    const BYTE test = extended ? kExtendedSelfTest : kShortSelfTest;
    if (route_ != AtaRoute::Smart) {
        return SatNonData(Taskfile(kSmartExecuteOffline, kSmartCylLow, kSmartCylHigh, kAtaSmart, test)).done;
    }
    requestSize_ = kSmartRequestSize;
    replySize_ = kSmartStatusSize;
    FillRequest(0, kSmartExecuteOffline, kSmartCylLow, kSmartCylHigh, kAtaSmart, test);
    std::uint8_t status[kSmartStatusSize] = {};
    std::uint32_t bytes = 0;
    return Send(kSmartSendDriveCommand, &request_, status, bytes);
}

bool SmartDevice::HasAtaPassThrough() const
{
    return handle_ != nullptr && route_ == AtaRoute::Smart && ActiveDiskControl().PlatformId() == kPlatformWindowsNT;
}

ReturnStatus SmartDevice::AskReturnStatus(bool byAtaPassThrough)
{
    if (handle_ == nullptr) {
        return ReturnStatus::NotAsked;
    }
    const AtaTaskfile task = Taskfile(kSmartReturnStatus, kSmartCylLow, kSmartCylHigh, kAtaSmart);
    if (route_ != AtaRoute::Smart) {
        const SatReply reply = SatNonData(task);
        return ReturnStatusOfSatReply(reply.done, reply.registersKnown, reply.registers);
    }
    if (byAtaPassThrough) {
        if (!HasAtaPassThrough()) {
            return ReturnStatus::NotAsked;
        }
        ATA_PASS_THROUGH_EX request;
        std::memset(&request, 0, sizeof request);
        request.Length = static_cast<std::uint16_t>(sizeof request);
        request.AtaFlags = kAtaFlagDrdyRequired;
        request.TimeOutValue = kSatShortSeconds;
        const BYTE registers[8] = {task.features, task.sectorCount, task.lbaLow, task.lbaMid,
                                   task.lbaHigh, task.device, task.command, 0};
        std::memcpy(request.CurrentTaskFile, registers, sizeof registers);
        ATA_PASS_THROUGH_EX reply = request;
        DWORD returned = 0;
        const bool ok = ActiveDiskControl().Request(handle_, kIoctlAtaPassThrough, &request, sizeof request, &reply,
                                                    sizeof reply, &returned);
        return ReturnStatusOfAtaPassThrough(ok, reinterpret_cast<const std::uint8_t*>(&reply), returned);
    }
    requestSize_ = kSmartRequestSize;
    replySize_ = kSmartStatusReplySize;
    FillRequest(0, kSmartReturnStatus, kSmartCylLow, kSmartCylHigh, kAtaSmart);
    std::uint8_t reply[kSmartStatusReplySize] = {};
    std::uint32_t bytes = 0;
    const bool ok = Send(kSmartSendDriveCommand, &request_, reply, bytes);
    return ReturnStatusOfSmartReply(ok, reply, bytes);
}

bool SmartDevice::FindAttribute(std::uint8_t id, std::uint8_t raw[6]) const
{
    if (handle_ == nullptr || attributeResult_ == nullptr) {
        return false;
    }
    // Unused entries are not skipped: id 0 finds the first free (all-zero) entry.
    for (unsigned i = 0; i < kSmartEntryCount; ++i) {
        const std::uint8_t* entry = attributeResult_ + i * kSmartEntrySize;
        if (entry[0] == id) {
            std::memcpy(raw, entry + kSmartRawOffset, kSmartRawSize);
            return true;
        }
    }
    return false;
}

AtaTaskfile SmartDevice::Taskfile(BYTE features, BYTE cylLow, BYTE cylHigh, BYTE command, BYTE lbaLow) const
{
    // The same registers FillRequest gives the disk driver; behind a bridge the drive is
    // always the master of its own channel.
    AtaTaskfile task;
    task.features = features;
    task.sectorCount = 1;
    task.lbaLow = lbaLow;
    task.lbaMid = cylLow;
    task.lbaHigh = cylHigh;
    task.device = 0xA0;
    task.command = command;
    return task;
}

SatReply SmartDevice::SendSat(SatForm form, const SatRequest& request, std::uint8_t* data,
                              std::uint32_t& bytesReturned)
{
    SatReply reply;
    bytesReturned = 0;
    if (handle_ == nullptr) {
        return reply;
    }
    const bool dataIn = request.transfer == SatTransfer::SectorsIn;
    std::memset(&satBlock_, 0, sizeof satBlock_);
    SCSI_PASS_THROUGH& header = satBlock_.header;
    header.Length = sizeof(SCSI_PASS_THROUGH);
    std::uint8_t cdb[kSatCdbMax];
    header.CdbLength = static_cast<BYTE>(BuildSatCdb(form, request, cdb));
    std::memcpy(header.Cdb, cdb, sizeof header.Cdb);
    header.SenseInfoLength = kSatSenseSize;
    header.DataIn = dataIn ? kScsiDataIn : kScsiDataUnspecified;
    header.DataTransferLength = dataIn ? kSatDataSize : 0;
    header.TimeOutValue = SatTimeoutSeconds(request.task.command, answering_);
    header.DataBufferOffset = offsetof(SatPassThroughBlock, data);
    header.SenseInfoOffset = offsetof(SatPassThroughBlock, sense);
    requestSize_ = replySize_ = sizeof satBlock_;
    if (!Send(kIoctlScsiPassThrough, &satBlock_, &satBlock_, bytesReturned)) {
        answering_ = false;  // timed out, or the bridge is gone
        return reply;
    }
    answering_ = true;
    if (header.ScsiStatus == kScsiStatusGood) {
        reply.done = true;
    } else if (header.ScsiStatus == kScsiStatusCheckCondition) {
        const std::size_t senseLength = header.SenseInfoLength < kSatSenseSize ? header.SenseInfoLength : kSatSenseSize;
        const SatSense sense = DecodeSatSense(satBlock_.sense, senseLength);
        reply.formRejected = SatCommandRejected(sense);
        if (sense.kind == SatSenseKind::AtaStatus) {
            reply.registersKnown = true;
            reply.registers = sense.registers;
            // An aborted command failed whatever its registers say.
            reply.done = sense.senseKey != kSenseKeyAbortedCommand && AtaCommandSucceeded(sense.registers);
        } else if (sense.kind == SatSenseKind::NoAtaStatus) {
            // A bridge that answers CK_COND as asked but leaves the registers out: the
            // command was done, its registers are unknown.
            reply.done = sense.senseKey == kSenseKeyRecoveredError && sense.asc == 0 &&
                         sense.ascq == kAscqAtaInformationAvailable;
        }
    }
    if (reply.done && dataIn && data != nullptr) {
        std::memcpy(data, satBlock_.data, kSatDataSize);
    }
    return reply;
}

SatReply SmartDevice::SatNonData(const AtaTaskfile& task)
{
    if (route_ == AtaRoute::Smart) {
        return SatReply{};
    }
    SatRequest request;
    request.task = task;
    request.returnRegisters = true;
    std::uint32_t bytes = 0;
    return SendSat(route_ == AtaRoute::Sat16 ? SatForm::Sixteen : SatForm::Twelve, request, nullptr, bytes);
}

SatReply SmartDevice::ProbeSatNonData(const AtaTaskfile& task)
{
    SatRequest request;
    request.task = task;
    request.returnRegisters = true;
    for (const SatForm form : {SatForm::Sixteen, SatForm::Twelve}) {
        std::uint32_t bytes = 0;
        const SatReply reply = SendSat(form, request, nullptr, bytes);
        if (reply.done) {
            route_ = form == SatForm::Sixteen ? AtaRoute::Sat16 : AtaRoute::Sat12;
            identifyCommand_ = kAtaIdentifyDevice;
            return reply;
        }
        if (!reply.formRejected) {
            break;  // the bridge knew the block: the other form would say no more
        }
    }
    return SatReply{};
}

bool SmartDevice::UseSatBridge()
{
    if (handle_ == nullptr) {
        return false;
    }
    SatRequest request;
    request.task = Taskfile(0, 0, 0, kAtaIdentifyDevice);
    request.transfer = SatTransfer::SectorsIn;
    for (const SatForm form : {SatForm::Sixteen, SatForm::Twelve}) {
        std::uint32_t bytes = 0;
        if (SendSat(form, request, identifyReply_ + kSmartStatusSize, bytes).done) {
            route_ = form == SatForm::Sixteen ? AtaRoute::Sat16 : AtaRoute::Sat12;
            identifyCommand_ = kAtaIdentifyDevice;
            // As on the direct path: S.M.A.R.T. on before the tables are read; a drive
            // that refuses still gets asked for them.
            EnableSmart(bytes);
            return true;
        }
    }
    return false;
}
