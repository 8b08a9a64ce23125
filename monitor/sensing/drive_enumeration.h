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
// each drive that answers every request, and the present list.
void EnumerateDrives(DriveState& drives);

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
