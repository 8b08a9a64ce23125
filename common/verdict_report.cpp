#include "verdict_report.h"

namespace {

constexpr std::uint8_t kMark[4] = {'K', 'V', 'V', 'r'};
// The fields of version 1; a longer record is read as far as this.
constexpr std::size_t kFieldBytes = 32;
constexpr std::size_t kSinceBytes = 40;  // the record as far as notAnsweringSince

void Put16(std::uint8_t* at, std::uint32_t value)
{
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::uint8_t* at, std::uint32_t value)
{
    for (unsigned i = 0; i < 4; ++i) {
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

void Put64(std::uint8_t* at, std::uint64_t value)
{
    for (unsigned i = 0; i < 8; ++i) {
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

std::uint64_t Get(const std::uint8_t* at, unsigned bytes)
{
    std::uint64_t value = 0;
    for (unsigned i = bytes; i > 0; --i) {
        value = (value << 8) | at[i - 1];
    }
    return value;
}

}  // namespace

bool IsVerdictRequest(const std::uint8_t* datagram, std::size_t length)
{
    return datagram != nullptr && length == kVerdictRequestBytes && datagram[0] == kVerdictCommand &&
           datagram[1] == kVerdictVersion;
}

std::size_t WriteVerdictRequest(std::uint8_t (&request)[kVerdictRequestBytes])
{
    request[0] = kVerdictCommand;
    request[1] = kVerdictVersion;
    return kVerdictRequestBytes;
}

std::size_t EncodeVerdictReport(const VerdictReport& report, std::uint8_t (&bytes)[kVerdictReportBytes])
{
    for (std::uint8_t& byte : bytes) {
        byte = 0;
    }
    for (unsigned i = 0; i < 4; ++i) {
        bytes[i] = kMark[i];
    }
    bytes[4] = kVerdictVersion;
    bytes[5] = static_cast<std::uint8_t>(kVerdictRecords);
    Put16(bytes + 6, kVerdictRecordBytes);
    for (std::size_t i = 0; i < kVerdictRecords; ++i) {
        const VerdictRecord& drive = report.drives[i];
        std::uint8_t* at = bytes + kVerdictHeaderBytes + i * kVerdictRecordBytes;
        if (drive.present == 0) {
            continue;  // an absent drive's record is all zero
        }
        at[0] = 1;
        at[1] = drive.kind;
        at[2] = drive.temperatureState;
        at[3] = drive.warningTemperature;
        at[4] = drive.health;
        at[5] = drive.reasonCount;
        at[6] = drive.sleeping;
        at[7] = drive.reasonKind;
        at[8] = drive.reasonSeverity;
        at[9] = drive.reasonAttribute;
        Put32(at + 12, drive.reasonLimit);
        Put64(at + 16, drive.reasonFrom);
        Put64(at + 24, drive.reasonTo);
        Put64(at + 32, static_cast<std::uint64_t>(drive.notAnsweringSince));
    }
    return kVerdictReportBytes;
}

bool ParseVerdictReport(const std::uint8_t* bytes, std::size_t length, VerdictReport& report)
{
    report = VerdictReport();
    if (bytes == nullptr || length < kVerdictHeaderBytes) {
        return false;
    }
    for (unsigned i = 0; i < 4; ++i) {
        if (bytes[i] != kMark[i]) {
            return false;
        }
    }
    const std::size_t count = bytes[5];
    const std::size_t size = static_cast<std::size_t>(Get(bytes + 6, 2));
    if (bytes[4] == 0 || size < kFieldBytes || length - kVerdictHeaderBytes < count * size) {
        return false;
    }
    for (std::size_t i = 0; i < count && i < kVerdictRecords; ++i) {
        const std::uint8_t* at = bytes + kVerdictHeaderBytes + i * size;
        VerdictRecord& drive = report.drives[i];
        drive.present = at[0] != 0 ? 1 : 0;
        if (drive.present == 0) {
            continue;
        }
        drive.kind = at[1];
        drive.temperatureState = at[2];
        drive.warningTemperature = at[3];
        drive.health = at[4];
        drive.reasonCount = at[5];
        drive.sleeping = at[6];
        drive.reasonKind = at[7];
        drive.reasonSeverity = at[8];
        drive.reasonAttribute = at[9];
        drive.reasonLimit = static_cast<std::uint32_t>(Get(at + 12, 4));
        drive.reasonFrom = Get(at + 16, 8);
        drive.reasonTo = Get(at + 24, 8);
        if (size >= kSinceBytes) {
            drive.notAnsweringSince = static_cast<std::int64_t>(Get(at + 32, 8));
        }
    }
    return true;
}
