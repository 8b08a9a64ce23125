// The drive's own overall verdict: S.M.A.R.T. RETURN STATUS (B0h, feature DAh, LBA mid/high
// 4Fh/C2h). The drive answers in LBA mid/high: 4Fh/C2h when no threshold is exceeded,
// F4h/2Ch when one is. Anything else, an error or registers that did not come back is no
// answer: never "failing" by guess.
#pragma once

#include "sat_passthrough.h"

#include <cstdint>

enum class ReturnStatus : std::uint8_t { NotAsked = 0, Passed, Failing };

constexpr std::uint8_t kSmartReturnStatus = 0xDA;
constexpr std::uint8_t kSmartFailingCylLow = 0xF4;
constexpr std::uint8_t kSmartFailingCylHigh = 0x2C;
// SMART_SEND_DRIVE_COMMAND's reply to RETURN STATUS: the header, then the IDEREGS the
// driver copies from the drive.
constexpr std::uint32_t kSmartStatusReplySize = 16 + 8;

// The verdict the two registers carry.
ReturnStatus ReturnStatusOfRegisters(std::uint8_t lbaMid, std::uint8_t lbaHigh);
// The disk driver's reply (`ok` and `returned` as the request gave them).
ReturnStatus ReturnStatusOfSmartReply(bool ok, const std::uint8_t* reply, std::uint32_t returned);
// IOCTL_ATA_PASS_THROUGH's reply: the registers the drive left in the current task file
// (`reply` points to the record, `returned` bytes of it came back).
ReturnStatus ReturnStatusOfAtaPassThrough(bool ok, const std::uint8_t* reply, std::uint32_t returned);
// Through a bridge or SG_IO: the registers of the sense data's ATA Status Return descriptor.
ReturnStatus ReturnStatusOfSatReply(bool done, bool registersKnown, const AtaRegisters& registers);

struct DriveRecord;
// With an awake ATA drive's attribute read: asks once, unless the drive refused before
// (an error, no registers, neither answer), which is remembered and never asked again.
// A drive the disk driver's S.M.A.R.T. requests reach on NT that refuses it there is
// asked through IOCTL_ATA_PASS_THROUGH at its next read instead, and refused only when
// that fails too. The last answer stays on the record.
void AskReturnStatus(DriveRecord& record);
