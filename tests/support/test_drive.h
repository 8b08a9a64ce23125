// A drive described by hand for the report tests: its slot, temperatures and identity.
#pragma once

#include <cstdint>
#include <cstring>

struct TestDrive {
    unsigned slot;
    std::uint8_t current;
    std::uint8_t worst;  // the report's maximum
    const char* model;
    const char* firmware;
    const char* serial;
};

// Copies the drive's model, firmware and serial into a record's text fields, each cut to
// leave its terminating NUL.
template <typename Record>
void PutIdentity(Record& record, const TestDrive& drive)
{
    std::strncpy(record.model, drive.model, sizeof record.model - 1);
    std::strncpy(record.firmware, drive.firmware, sizeof record.firmware - 1);
    std::strncpy(record.serial, drive.serial, sizeof record.serial - 1);
}
