// The one conversion of the programs' texts (code page 932 bytes, language.h) to UTF-8,
// for what leaves the machine as UTF-8: the web page and its JSON.
#pragma once

#include <string>

// The text in UTF-8; a byte sequence that is not code page 932 becomes U+FFFD.
std::string Utf8FromCp932(const char* text);
