// JSON strings from byte texts of unknown encoding.
#pragma once

#include <cstddef>
#include <string>

// Appends the bytes as one JSON string (quotes included). Well-formed UTF-8 characters
// are kept as they are; quote, backslash and control characters are escaped; every byte
// that is not part of a well-formed UTF-8 character becomes U+FFFD ("\ufffd"), so the
// result is valid JSON whatever the bytes. Returns false when such a byte was replaced.
bool AppendJsonString(std::string& out, const char* bytes, std::size_t length);

// Length of the well-formed UTF-8 character at the start of bytes (1 to 4), or 0 when
// the bytes do not start one (RFC 3629: no overlong forms, no surrogates, nothing above
// U+10FFFF).
std::size_t Utf8CharacterLength(const unsigned char* bytes, std::size_t length);
