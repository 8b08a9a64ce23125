// Whether a drive is solid state or spins: an ATA drive says so in IDENTIFY word 217
// (nominal media rotation rate: 0001h non-rotating, 0401h-FFFEh revolutions a minute, 0
// not reported); NVMe drives are solid state.
#pragma once

#include "drive_table.h"

#include <cstdint>
#include <string>

enum class DriveMedia : std::uint8_t { Unknown = 0, SolidState, Rotating };

struct MediaAnswer {
    DriveMedia media = DriveMedia::Unknown;
    std::uint16_t rpm = 0;  // rotating drives that give their rate
};

// From a 512-byte IDENTIFY DEVICE sector.
MediaAnswer MediaOfIdentify(const std::uint8_t* identify);
MediaAnswer MediaOf(const DriveRecord& record);
// "ssd", "hdd", "unknown": the metrics' label values.
const char* MediaName(DriveMedia media);
// In words for people: "solid state", "rotating at 7200 rpm", "rotating", "not reported".
std::string DescribeMedia(const MediaAnswer& answer);
