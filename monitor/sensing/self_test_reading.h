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
// Whether a self-test can be started on the drive: an ATA drive whose IDENTIFY says it has
// self-tests, or whose S.M.A.R.T. data's off-line capability does (SMART EXECUTE OFF-LINE
// IMMEDIATE); an NVMe drive on the inbox driver whose OACS bit 4 says so (Device Self-test).
bool SelfTestStartable(const DriveRecord& record);
// Whether a self-test runs on the drive now, and the percent of it left: an ATA drive's
// execution status byte, an NVMe drive's self-test page (bytes 0-1) as last read. The
// viewer, kelvixd and the schedule all ask this.
bool SelfTestRunning(const DriveRecord& record, unsigned& remainingPercent);
// The minutes the drive says a test takes: ATA the polling times; NVMe 2 for a short test
// (the most it may take), EDSTT for an extended one. 0 when it does not say.
unsigned DriveSelfTestMinutes(const DriveRecord& record, bool extended);
// Starts a test through the record's own device. On success, as NoteSelfTestStarted.
bool StartDriveSelfTest(DriveRecord& record, bool extended);
// A test was started on the drive: an NVMe drive's page is read at every awake read from
// the next one on, until it says the test ended (ATA drives say so in every read).
void NoteSelfTestStarted(DriveRecord& record);
// One measurement passed for a present drive.
void CountSelfTestTick(DriveRecord& record);
// With an awake read of the drive: reads and decodes the log when it is due. A failed
// read keeps the last log; the next is tried a day later, or as soon as a running
// self-test has ended (an NVMe drive's page at every read while its test runs). Where the
// drive keeps the extended log (07h) and its route carries READ LOG EXT, that log is read
// with 06h and, when believed, is the one kept (it has the whole LBA); a 07h of more pages
// than are read is left to 06h. With `scheduleDays` (the [Health] SelfTest setting) a
// drive whose newest logged test is that many days of its power-on time old (or that has
// none) and that runs none now is given a short test right after the read; so a schedule
// costs at most one check a day.
void ReadSelfTestsIfDue(DriveRecord& record, std::uint32_t timerSeconds, std::uint32_t scheduleDays = 0);
// Whether a self-test that ran at the last awake read has ended by this one (the drive's
// status byte says so); `wasRunning` is kept for the next read. An ended test has its
// result logged, so the log is read at once rather than the next day.
bool SelfTestJustEnded(std::uint8_t& wasRunning, const std::uint8_t* attributeResult);
// Whether a scheduled short test is due: the log read and believed, the newest entry's
// power-on hours `days` behind the drive's own (ATA: attribute 9's low word, as the log
// keeps 16 bits; NVMe: the health log's), or no test logged; never while one runs.
bool ScheduledTestDue(const DriveRecord& record, std::uint32_t days);
