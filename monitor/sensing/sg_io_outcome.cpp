#include "sg_io_outcome.h"

#include <cstdio>

namespace {
constexpr std::uint8_t kScsiGood = 0x00;
constexpr std::uint8_t kScsiCheckCondition = 0x02;
constexpr std::uint16_t kDriverSense = 0x08;
}  // namespace

bool PassThroughSucceeded(const PassThroughOutcome& outcome, AtaRegisters* registers)
{
    if (outcome.hostStatus != 0 || (outcome.driverStatus & ~kDriverSense) != 0) {
        return false;
    }
    if (outcome.scsiStatus == kScsiGood) {
        return registers == nullptr;
    }
    if (outcome.scsiStatus != kScsiCheckCondition) {
        return false;
    }
    const SatSense sense = DecodeSatSense(outcome.sense, outcome.senseLength);
    const bool informational = sense.senseKey == kSenseKeyNoSense || sense.senseKey == kSenseKeyRecoveredError;
    const bool succeeded = sense.kind == SatSenseKind::AtaStatus && informational && sense.asc == 0 &&
                           sense.ascq == kAscqAtaInformationAvailable && AtaCommandSucceeded(sense.registers);
    if (succeeded && registers != nullptr) {
        *registers = sense.registers;
    }
    return succeeded;
}

std::string DescribePassThroughFailure(const PassThroughOutcome& outcome)
{
    char text[160];
    if (outcome.hostStatus != 0 || (outcome.driverStatus & ~kDriverSense) != 0) {
        std::snprintf(text, sizeof text, "not delivered (host status %u, driver status %u)", outcome.hostStatus,
                      outcome.driverStatus);
        return text;
    }
    if (outcome.scsiStatus == kScsiGood) {
        return "the device returned no ATA registers";
    }
    if (outcome.scsiStatus != kScsiCheckCondition) {
        std::snprintf(text, sizeof text, "SCSI status %02Xh", outcome.scsiStatus);
        return text;
    }
    const SatSense sense = DecodeSatSense(outcome.sense, outcome.senseLength);
    if (sense.kind == SatSenseKind::Unusable) {
        return "CHECK CONDITION without usable sense data";
    }
    if (sense.kind == SatSenseKind::AtaStatus && !AtaCommandSucceeded(sense.registers)) {
        std::snprintf(text, sizeof text, "the drive reported an error (status %02Xh, error %02Xh)",
                      sense.registers.status, sense.registers.error);
        return text;
    }
    if (SatCommandRejected(sense)) {
        std::snprintf(text, sizeof text,
                      "the device does not take ATA PASS-THROUGH (ILLEGAL REQUEST, %s, sense %02Xh/%02Xh): "
                      "not an ATA drive, or a bridge without ATA translation",
                      sense.asc == 0x20 ? "unsupported SCSI opcode" : "invalid field in the command",
                      sense.asc, sense.ascq);
        return text;
    }
    std::snprintf(text, sizeof text, "sense key %Xh, sense %02Xh/%02Xh", sense.senseKey, sense.asc, sense.ascq);
    return text;
}

bool BridgeStepSucceeded(const PassThroughOutcome& outcome)
{
    return outcome.hostStatus == 0 && (outcome.driverStatus & ~kDriverSense) == 0 && outcome.scsiStatus == kScsiGood &&
           outcome.residual == 0;
}

std::string DescribeBridgeFailure(const PassThroughOutcome& outcome)
{
    char text[160];
    if (outcome.hostStatus != 0 || (outcome.driverStatus & ~kDriverSense) != 0) {
        std::snprintf(text, sizeof text, "not delivered (host status %u, driver status %u)", outcome.hostStatus,
                      outcome.driverStatus);
    } else if (outcome.scsiStatus == kScsiGood) {
        std::snprintf(text, sizeof text, "%d bytes of the data did not come", outcome.residual);
    } else if (outcome.scsiStatus != kScsiCheckCondition) {
        std::snprintf(text, sizeof text, "SCSI status %02Xh", outcome.scsiStatus);
    } else {
        const SatSense sense = DecodeSatSense(outcome.sense, outcome.senseLength);
        if (sense.kind == SatSenseKind::Unusable) {
            return "refused (CHECK CONDITION without usable sense data)";
        }
        std::snprintf(text, sizeof text, "refused (sense key %Xh, sense %02Xh/%02Xh)", sense.senseKey, sense.asc,
                      sense.ascq);
    }
    return text;
}
