// Byte-level helpers for code page 932 (Shift-JIS) texts: where a double-byte character
// starts, so that a search for '\\' or a cut to a byte limit never splits one.
#pragma once

#include <cstddef>

// True for the first byte of a two-byte character.
bool IsCp932LeadByte(unsigned char byte);

// Length of the longest prefix of text, at most maxBytes long, that ends on a character
// boundary (a lead byte whose trail would fall beyond the limit is left out).
std::size_t Cp932FitLength(const char* text, std::size_t maxBytes);
