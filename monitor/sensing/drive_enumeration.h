// Start-up enumeration of the drive table and the identity texts of a drive.
#pragma once

#include "drive_table.h"

#include <cstdint>

// Probe count for a platform id: 16 drive numbers on the NT family, 4 otherwise.
std::uint32_t ProbeCountForPlatform(std::uint32_t platformId);
// The probe count of the running system, asked through the active disk control.
std::uint32_t DetectProbeCount();

// Opens and reads every drive number below the probe count once; fills the identity
// texts, the temperature attribute id (drive database) and the worst value (INI file) of
// each drive that answers every request, and the present list. With `askPowerFirst`
// (NoWake) each drive is first asked whether it is spun down, before any command that
// could spin it up; one that is is listed sleeping with `identityPending` set and the
// identity the operating system gives without asking it. The first measurement takes
// what enumeration read (`enumerated`) and sends nothing.
void EnumerateDrives(DriveState& drives, bool askPowerFirst = true);

// The reads enumeration left out for a drive asleep at start: its own identity, tables,
// temperature attribute and worst value, which then replace the early ones. True when
// the identity is complete (at once for a drive that was read at start).
bool CompleteIdentity(DriveRecord& record);

// Fills the capacity and transfer-mode texts of a record from its identify result.
void FormatDriveIdentity(DriveRecord& record);
// The sector count: the 48-bit one (words 100-103) when word 83 announces 48-bit
// addressing, else the 28-bit one (words 60-61).
std::uint64_t SectorCount(const std::uint8_t* identify);
// The same for a raw IDENTIFY sector, into 32-byte texts.
void FormatCapacity(const std::uint8_t* identify, char (&text)[32]);
void FormatTransferMode(const std::uint8_t* identify, char (&text)[32]);

// The smallest n (0-7) with bit n of b set; 0 for 0.
unsigned LowestSetBit(std::uint8_t b);
