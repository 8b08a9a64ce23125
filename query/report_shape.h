// Whether an answer is a well-formed drive report, for callers that must not guess.
#pragma once

#include <cstdint>
#include <string>

// Empty for a well-formed report; otherwise what is wrong with it. Well-formed: exactly
// 1920 bytes; every present byte 0 or 1; an absent record all zero; the texts of a present
// record end with a NUL inside their fields.
std::string ReportShapeFault(const std::uint8_t* answer, int length);
