// Whether an ATA command sent as a SCSI ATA PASS-THROUGH command worked, from what the
// Linux SCSI layer hands back: SCSI status, transport and driver status, sense data.
#pragma once

#include "sat_passthrough.h"

#include <cstddef>
#include <cstdint>
#include <string>

struct PassThroughOutcome {
    std::uint8_t scsiStatus = 0;     // 00h GOOD, 02h CHECK CONDITION
    std::uint16_t hostStatus = 0;    // 0 when the command was delivered
    std::uint16_t driverStatus = 0;  // 0, or DRIVER_SENSE (08h) with sense data
    const std::uint8_t* sense = nullptr;
    std::size_t senseLength = 0;
    int residual = 0;  // data bytes asked for that did not come
};

// True when the command reached the drive and the drive reported neither ERR nor DF:
// GOOD, or CHECK CONDITION whose sense data return the ATA registers of a clean finish
// (what asking for the registers with CK_COND gives).
// `registers` (when not null) receives the ATA registers the sense data returned; without
// them (GOOD status) the result is false when they were asked for.
bool PassThroughSucceeded(const PassThroughOutcome& outcome, AtaRegisters* registers = nullptr);

// Why a command that did not succeed failed, in words for the journal: not delivered, a
// device that does not know ATA PASS-THROUGH (a SCSI disk, a USB stick), or the drive's
// own error.
std::string DescribePassThroughFailure(const PassThroughOutcome& outcome);

// A USB-NVMe bridge's vendor command (usb_nvme_bridge.h): delivered, GOOD, and every data
// byte asked for came. A bridge that does not know the command answers CHECK CONDITION.
bool BridgeStepSucceeded(const PassThroughOutcome& outcome);
// Why it did not, in words for the journal.
std::string DescribeBridgeFailure(const PassThroughOutcome& outcome);
