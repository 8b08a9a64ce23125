// Worst (highest ever) temperatures, kept in section "Worst" of KELVIX.INI under a key
// made of the drive's model, firmware and serial, so a drive keeps its value whatever
// drive number it gets. A drive whose identity is still the early one of a drive asleep
// at start (identityPending) has no key yet: nothing is loaded or saved for it, so the
// shorter texts of a device descriptor never start a second entry for the same drive.
#pragma once

#include "drive_table.h"

constexpr unsigned kWorstKeySize = 128;

// "model:firmware:serial".
void FormatWorstKey(const DriveRecord& record, char (&key)[kWorstKeySize]);
// Sets record.worstTemperature from the INI file (missing key: 0; unchanged if the file
// cannot be used), or from a higher value the file has not taken yet.
void LoadWorst(DriveRecord& record);
// Writes record.worstTemperature to the INI file. A refused write is told through
// file_trouble.h and the value kept for RetryUnsavedWorst; false then.
bool SaveWorst(const DriveRecord& record);
// Writes the values the file refused so far, stopping at the first refusal.
void RetryUnsavedWorst();
unsigned UnsavedWorstCount();
