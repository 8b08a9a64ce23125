// Drive-set files: a plain text description of simulated drives (see DRIVESET.md).
#pragma once

#include "simulated_disk.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// Reads one raw 512-byte sector file; false with a message when it cannot.
using SectorReader =
    std::function<bool(const std::string& path, std::uint8_t (&sector)[kSmartSectorSize], std::string& error)>;

// The reader for real files: a regular file of exactly 512 bytes.
bool ReadSectorFile(const std::string& path, std::uint8_t (&sector)[kSmartSectorSize], std::string& error);

// Reads one raw page of `size` bytes (512-byte sectors and the 4096-byte NVMe identify
// page); false with a message when it cannot.
using PageReader =
    std::function<bool(const std::string& path, std::uint8_t* page, std::size_t size, std::string& error)>;
// The reader for real files: a regular file of exactly `size` bytes.
bool ReadPageFile(const std::string& path, std::uint8_t* page, std::size_t size, std::string& error);

// Parses a drive set. Sector file names are taken relative to `baseDirectory` (unless
// absolute) and read with `readSector`. On failure `error` reads "line N: ..." and `set`
// holds what was read so far.
bool ParseDriveSet(std::string_view text, const std::string& baseDirectory, const PageReader& readPage,
                   DriveSet& set, std::string& error);
// The same with a reader of 512-byte sectors only: a 4096-byte page cannot be read.
bool ParseDriveSet(std::string_view text, const std::string& baseDirectory, const SectorReader& readSector,
                   DriveSet& set, std::string& error);

// Reads a drive-set file; sector files are relative to the file's own directory.
bool LoadDriveSet(const std::string& path, DriveSet& set, std::string& error);
