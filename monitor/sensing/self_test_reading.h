// When the drive's own self-test log is read: with an awake drive's read, at its first
// read and then once a day (86400 s of measurements at TimerCurrent seconds each), where
// the drive says it keeps one: ATA IDENTIFY word 84 or 87 bit 1, NVMe OACS bit 4 (NVMe
// drives through the storage query; the USB bridges and RST pass no such page). A sleeping drive is
// never asked: the log waits for its next awake read. One SMART READ LOG a day costs
// nothing the user would notice.
#pragma once

#include "drive_table.h"

#include <cstdint>

constexpr std::uint32_t kSecondsPerDay = 86400;

// Whether IDENTIFY DEVICE says the drive supports the S.M.A.R.T. self-tests.
bool LogsSelfTests(const std::uint8_t* identify);
// Whether IDENTIFY DEVICE says the drive keeps General Purpose logs read by 48-bit
// commands: the GPL feature set (word 84 or 87 bit 5) and 48-bit addressing (word 83
// bit 10), each word valid when its bits 15:14 are 01.
bool KeepsGpLogs(const std::uint8_t* identify);
// Whether a self-test can be started on the drive (SMART EXECUTE OFF-LINE IMMEDIATE): an
// ATA drive whose IDENTIFY says it has self-tests, or whose S.M.A.R.T. data's off-line
// capability does. NVMe drives are not: nothing here sends the Device Self-test command.
bool SelfTestStartable(const DriveRecord& record);
// One measurement passed for a present drive.
void CountSelfTestTick(DriveRecord& record);
// With an awake read of the drive: reads and decodes the log when it is due. A failed
// read keeps the last log; the next is tried a day later, or as soon as a running
// self-test has ended. Where the drive keeps the extended log (07h) and its route carries
// READ LOG EXT, that log is read with 06h and, when believed, is the one kept (it has the
// whole LBA); a 07h of more pages than are read is left to 06h. With `scheduleDays` (the
// [Health] SelfTest setting) an ATA drive whose newest logged test is that many days of
// its power-on time old (or that has none) and that runs none now is given a short test
// right after the read; so a schedule costs at most one check a day.
void ReadSelfTestsIfDue(DriveRecord& record, std::uint32_t timerSeconds, std::uint32_t scheduleDays = 0);
// Whether a self-test that ran at the last awake read has ended by this one (the drive's
// status byte says so); `wasRunning` is kept for the next read. An ended test has its
// result logged, so the log is read at once rather than the next day.
bool SelfTestJustEnded(std::uint8_t& wasRunning, const std::uint8_t* attributeResult);
// Whether a scheduled short test is due: the log read and believed, the newest entry's
// power-on hours (16 bits, as the log keeps them) `days` behind the drive's own (attribute
// 9's low word), or no test logged; never while one runs.
bool ScheduledTestDue(const SelfTestLog& log, const std::uint8_t* attributeResult, std::uint32_t days);
