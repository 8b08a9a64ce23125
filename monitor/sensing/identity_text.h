// The identity texts drives return (model, firmware, serial): the padding rule shared by
// ATA and NVMe drives.
#pragma once

#include <cstdint>

// Copies an ATA identity string (two characters per word, first in the high byte) of
// `length` bytes, drops trailing spaces and moves the text past leading ones. The
// destination must hold length + 1 bytes rounded up to even and be zero beyond the text.
char* CopyIdString(char* destination, const std::uint8_t* source, std::uint16_t length);
