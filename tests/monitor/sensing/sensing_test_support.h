// Shared helpers of the sensing tests: simulated machines described as drive-set text,
// a private working directory for KELVIX.INI and the log, and a file-activity counter.
#pragma once

#include "drive_table.h"
#include "driveset_file.h"
#include "simulated_disk.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A drive set from drive-set text; the test fails on a parse error.
DriveSet DriveSetFromText(const std::string& text);

// A simulated machine: the bus installed as the active disk control and a drive state
// whose probe count comes from the bus's platform. The drive state goes first, so its
// devices close while the bus is still installed.
class SimulatedMachine {
public:
    explicit SimulatedMachine(const std::string& driveSetText);
    explicit SimulatedMachine(const DriveSet& set);
    ~SimulatedMachine();

    SimulatedDiskBus bus;
    DriveState drives;

private:
    ScopedDiskControl installed_;
};

// Runs the test in a fresh empty directory (removed afterwards), so bare file names such
// as KELVIX.INI and KELVIX.LOG resolve there.
class WorkingDirectory {
public:
    WorkingDirectory();
    ~WorkingDirectory();
    const std::string& Path() const { return path_; }

private:
    std::string previous_;
    std::string path_;
};

// For tests of later measurement ticks: enumerates, and leaves no reading of enumeration's
// for the first MeasureAll to take, so that every MeasureAll reads every drive.
void EnumerateForLaterTicks(DriveState& drives);

std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& content);
bool FileExists(const std::string& path);

// Counts file events in the current directory (Linux inotify): how often a file was
// opened, and how often it was written (closed after writing or renamed into place).
class FileActivity {
public:
    FileActivity();
    ~FileActivity();
    FileActivity(const FileActivity&) = delete;
    FileActivity& operator=(const FileActivity&) = delete;

    unsigned Opens(const std::string& name);
    unsigned Writes(const std::string& name);

private:
    void Drain();
    int fd_ = -1;
    std::vector<std::pair<std::string, std::uint32_t>> events_;
};

// The 32 request bytes SmartDevice must send, built field by field from the DDK layout.
std::vector<std::uint8_t> ExpectedRequest(std::uint32_t bufferSize, std::uint8_t features,
                                          std::uint8_t cylLow, std::uint8_t cylHigh, std::uint8_t command,
                                          unsigned driveNumber, std::uint32_t platform);
