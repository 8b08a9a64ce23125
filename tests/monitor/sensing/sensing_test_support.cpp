#include "sensing_test_support.h"

#include "drive_enumeration.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/inotify.h>
#include <unistd.h>

DriveSet DriveSetFromText(const std::string& text)
{
    DriveSet set;
    std::string error;
    EXPECT_TRUE(ParseDriveSet(text, "", ReadSectorFile, set, error)) << error;
    return set;
}

void EnumerateForLaterTicks(DriveState& drives)
{
    EnumerateDrives(drives);
    for (DriveRecord& record : drives.table) {
        record.enumerated = 0;
    }
}

SimulatedMachine::SimulatedMachine(const std::string& driveSetText) : SimulatedMachine(DriveSetFromText(driveSetText)) {}

SimulatedMachine::SimulatedMachine(const DriveSet& set) : bus(set), installed_(bus)
{
    drives.probeCount = DetectProbeCount();
}

SimulatedMachine::~SimulatedMachine()
{
    for (DriveRecord& record : drives.table) {
        record.device.Close();
    }
}

WorkingDirectory::WorkingDirectory()
{
    previous_ = std::filesystem::current_path().string();
    std::string pattern = (std::filesystem::temp_directory_path() / "kv-sensing-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) == nullptr) {
        ADD_FAILURE() << "cannot create a temporary directory";
        return;
    }
    path_ = buffer.data();
    std::filesystem::current_path(path_);
}

WorkingDirectory::~WorkingDirectory()
{
    std::filesystem::current_path(previous_);
    if (!path_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

void WriteWholeFile(const std::string& path, const std::string& content)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << content;
}

bool FileExists(const std::string& path)
{
    return std::filesystem::exists(path);
}

FileActivity::FileActivity()
{
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0 || inotify_add_watch(fd_, ".", IN_OPEN | IN_CLOSE_WRITE | IN_MOVED_TO) < 0) {
        ADD_FAILURE() << "inotify is not available";
    }
}

FileActivity::~FileActivity()
{
    if (fd_ >= 0) {
        close(fd_);
    }
}

void FileActivity::Drain()
{
    alignas(inotify_event) char buffer[8192];
    for (;;) {
        const ssize_t got = read(fd_, buffer, sizeof(buffer));
        if (got <= 0) {
            return;
        }
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            events_.emplace_back(event->len > 0 ? std::string(event->name) : std::string(), event->mask);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
}

unsigned FileActivity::Opens(const std::string& name)
{
    Drain();
    unsigned count = 0;
    for (const auto& [file, mask] : events_) {
        count += (file == name && (mask & IN_OPEN) != 0) ? 1 : 0;
    }
    return count;
}

unsigned FileActivity::Writes(const std::string& name)
{
    Drain();
    unsigned count = 0;
    for (const auto& [file, mask] : events_) {
        count += (file == name && (mask & (IN_CLOSE_WRITE | IN_MOVED_TO)) != 0) ? 1 : 0;
    }
    return count;
}

std::vector<std::uint8_t> ExpectedRequest(std::uint32_t bufferSize, std::uint8_t features, std::uint8_t cylLow,
                                          std::uint8_t cylHigh, std::uint8_t command, unsigned driveNumber,
                                          std::uint32_t platform)
{
    // Bit 4 picks the slave device only for the 9x driver; NT drivers want it clear.
    const bool slave = platform == kPlatformWindows9x && (driveNumber & 1) != 0;
    std::vector<std::uint8_t> bytes(32, 0);
    bytes[0] = static_cast<std::uint8_t>(bufferSize);
    bytes[1] = static_cast<std::uint8_t>(bufferSize >> 8);
    bytes[4] = features;                                                          // bFeaturesReg
    bytes[5] = 1;                                                                 // bSectorCountReg
    bytes[6] = 1;                                                                 // bSectorNumberReg
    bytes[7] = cylLow;                                                            // bCylLowReg
    bytes[8] = cylHigh;                                                           // bCylHighReg
    bytes[9] = static_cast<std::uint8_t>(slave ? 0xB0 : 0xA0);                    // bDriveHeadReg
    bytes[10] = command;                                                          // bCommandReg
    bytes[12] = static_cast<std::uint8_t>(driveNumber);                          // bDriveNumber
    return bytes;
}
