// The UDP query protocol between the monitor and its clients: one-byte commands and the
// 1920-byte drive report (16 records of 120 bytes, record i = drive slot i).
#pragma once

#include <cstddef>
#include <cstdint>

constexpr std::uint32_t kDefaultQueryPort = 10008;

constexpr std::uint8_t kEchoCommand = 0x00;
constexpr std::uint8_t kReportCommand = 0x01;
constexpr std::uint8_t kStopCommand = 0x10;

constexpr std::size_t kReportModelBytes = 64;
constexpr std::size_t kReportFirmwareBytes = 16;
constexpr std::size_t kReportSerialBytes = 32;

struct DriveReport {
    std::uint8_t present;  // 1 = a detected drive; 0 = the whole record is zero
    std::uint8_t current;  // degrees Celsius, 0 = no temperature
    std::uint8_t maximum;  // worst temperature ever measured
    std::uint8_t padding[5];
    char model[kReportModelBytes];
    char firmware[kReportFirmwareBytes];
    char serial[kReportSerialBytes];
};

constexpr std::size_t kReportRecords = 16;
constexpr std::size_t kDriveReportBytes = sizeof(DriveReport);
constexpr std::size_t kReportBytes = kReportRecords * kDriveReportBytes;

static_assert(sizeof(DriveReport) == 120, "a drive report record is 120 bytes on the wire");
static_assert(offsetof(DriveReport, model) == 8, "model at record offset 8");
static_assert(offsetof(DriveReport, firmware) == 72, "firmware at record offset 72");
static_assert(offsetof(DriveReport, serial) == 88, "serial at record offset 88");
static_assert(kReportBytes == 1920, "the drive report is 1920 bytes");
