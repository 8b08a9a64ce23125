#include "sg_io_outcome.h"

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
