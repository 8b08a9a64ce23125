// Whether an ATA drive is spun down, asked without waking it, and what a measurement tick
// does with the answer.
//
// The order of the questions:
//   1. ATA CHECK POWER MODE (E5h) through IOCTL_ATA_PASS_THROUGH. The drive itself answers
//      in the sector-count register, also when its own standby timer spun it down, so it
//      comes first.
//   2. GetDevicePowerState on the same handle, where the pass-through is refused (no
//      rights, a controller driver without it, the 9x S.M.A.R.T. driver) or its answer is
//      an error or a reserved value.
// Where neither answers, the drive counts as awake and is read as before. A drive behind a
// USB bridge is first asked CHECK POWER MODE through the bridge's SCSI/ATA translation
// (the registers come back in the sense data); a bridge that drops them answers nothing
// there, and the two questions above follow.
#pragma once

#include "ata_records.h"
#include "smart_device.h"
#include "wintypes.h"

#include <cstdint>

enum class PowerAnswer : std::uint8_t { NotAnswered, SpunUp, SpunDown };

// The CHECK POWER MODE request: no data, the drive must be ready, two seconds.
void FillCheckPowerRequest(ATA_PASS_THROUGH_EX& request);

// The drive's answer in a pass-through reply: `ok` and `returned` as the request gave
// them. An error status, a busy drive, a short reply or a reserved power-mode value
// answer nothing.
PowerAnswer ReadCheckPowerReply(bool ok, const ATA_PASS_THROUGH_EX& reply, DWORD returned);

// The power mode CHECK POWER MODE leaves in the count register; reserved values answer
// nothing.
PowerAnswer PowerModeAnswer(std::uint8_t count);

// Both questions in order through the active disk control.
PowerAnswer AskDrivePower(HANDLE handle);

// A measurement tick's question: through the drive's bridge first when it has one, then
// the two above.
PowerAnswer AskPower(SmartDevice& device);

// The question at start, before anything else reaches the drive. `behindUsb`: the device
// descriptor names the USB bus, so CHECK POWER MODE goes through the bridge first, in the
// 16-byte, then the 12-byte form; the form the bridge takes becomes the drive's route.
PowerAnswer AskPowerFirst(SmartDevice& device, bool behindUsb);

// One tick's choice for an ATA drive.
struct TickDecision {
    bool read;      // send the S.M.A.R.T. read
    bool sleeping;  // mark the drive as sleeping (it keeps its last values)
};

// `forceReadAfter`: ticks a drive may sleep through without being read (0: never read a
// sleeping drive). `skippedTicks` counts the consecutive ticks skipped so far; the
// decision keeps it.
TickDecision DecideTick(PowerAnswer answer, std::uint32_t forceReadAfter, std::uint32_t& skippedTicks);
