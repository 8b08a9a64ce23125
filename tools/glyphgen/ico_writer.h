// Writes palette pictures as a Windows icon file: 4 bits per pixel with the standard
// 16-colour palette and an AND mask for the transparent pixels.
#pragma once

#include "glyph_art.h"

#include <cstdint>
#include <string>
#include <vector>

// The bytes of an icon file holding the given pictures (each 16 or 32 pixels).
std::vector<std::uint8_t> IconFileBytes(const std::vector<glyph_art::Picture>& pictures);

bool WriteIconFile(const std::string& path, const std::vector<glyph_art::Picture>& pictures);
