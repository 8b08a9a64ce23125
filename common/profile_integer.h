// The integer GetPrivateProfileIntA makes of a value, shared by our profile engine and
// the section cache so both convert alike.
#pragma once

#include <cstdint>

namespace profile_integer {

// The value is read into a buffer of this size first, so only its first 29 characters count.
constexpr std::uint32_t kReadSize = 30;

// White space, an optional sign, then decimal digits, or 0x hexadecimal (0o octal, 0b
// binary); the leading digits count and the value wraps around at 32 bits.
std::int32_t Parse(const char* text);

// The reading of a value as delivered into kReadSize bytes: an empty one gives def.
std::int32_t FromValue(const char* value, std::int32_t def);

}  // namespace profile_integer
