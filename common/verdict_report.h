// The verdict report: what a client cannot learn from the 1920-byte drive report - each
// drive's kind, its own warning temperature, whether it is hot and its health with the
// worst reason. Asked with a two-byte request that old servers ignore (they answer only
// one-byte datagrams), so a new client asks both and an old server's silence on this
// one just means "no verdicts"; old clients never send it.
//
// Request: kVerdictCommand, kVerdictVersion.
// Reply (little-endian): "KVV" 'r', version, record count, record size (2 bytes), then
// `count` records of `size` bytes, record i = drive slot i. A parser reads the fields it
// knows from each record and skips the rest, so later versions may grow the record.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr std::uint8_t kVerdictCommand = 0x02;
constexpr std::uint8_t kVerdictVersion = 1;
constexpr std::size_t kVerdictRequestBytes = 2;

constexpr std::size_t kVerdictRecords = 16;
constexpr std::size_t kVerdictHeaderBytes = 8;
constexpr std::size_t kVerdictRecordBytes = 40;
constexpr std::size_t kVerdictReportBytes = kVerdictHeaderBytes + kVerdictRecords * kVerdictRecordBytes;

// One drive, as numbers: the same values as DriveKind, TemperatureState, HealthState and
// HealthReasonKind of the monitor (0 = unknown/none everywhere).
struct VerdictRecord {
    std::uint8_t present = 0;
    std::uint8_t kind = 0;                // 0 ATA, 1 NVMe, 2 temperature property only
    std::uint8_t temperatureState = 0;    // 0 unknown, 1 normal, 2 hot, 3 not answering
    std::uint8_t warningTemperature = 0;  // the drive's own, °C; 0 = never hot
    std::uint8_t health = 0;              // 0 unknown, 1 good, 2 caution, 3 bad
    std::uint8_t reasonCount = 0;
    std::uint8_t sleeping = 0;            // 1: left asleep, the verdict is its last
    // The worst reason (when reasonCount > 0).
    std::uint8_t reasonKind = 0;
    std::uint8_t reasonSeverity = 0;
    std::uint8_t reasonAttribute = 0;
    std::uint32_t reasonLimit = 0;
    std::uint64_t reasonFrom = 0;
    std::uint64_t reasonTo = 0;
    // Bytes 32-39 (records of 40 bytes and more): while not answering, since when, seconds
    // since 1970 UTC (0: not known). Clients that read 32 bytes never see it.
    std::int64_t notAnsweringSince = 0;
};

struct VerdictReport {
    VerdictRecord drives[kVerdictRecords];
};

// True for exactly the request a client sends.
bool IsVerdictRequest(const std::uint8_t* datagram, std::size_t length);
// Writes the request; returns its length.
std::size_t WriteVerdictRequest(std::uint8_t (&request)[kVerdictRequestBytes]);
// Writes the whole reply; returns kVerdictReportBytes.
std::size_t EncodeVerdictReport(const VerdictReport& report, std::uint8_t (&bytes)[kVerdictReportBytes]);
// False for anything that is not a verdict reply (wrong mark, a record too short, fewer
// bytes than the header says); `report` then holds no drive. Records past 16 are ignored.
bool ParseVerdictReport(const std::uint8_t* bytes, std::size_t length, VerdictReport& report);
