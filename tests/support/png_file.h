// Writes an RGB picture as a PNG file (stored, uncompressed), so tests can leave
// pictures of what a person would see beside their results.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// rgb: width * height pixels, 0xRRGGBB, top row first.
bool WritePng(const std::string& path, int width, int height, const std::vector<std::uint32_t>& rgb);
