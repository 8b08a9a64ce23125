// The programs' texts (code page 932 bytes, language.h) in UTF-16, for what is made
// portably and handed to Windows as Unicode (the clipboard's lines). By way of the one
// conversion to UTF-8, so that both read a text the same.
#pragma once

#include <string>

// The text in UTF-16; a byte sequence that is not code page 932 becomes U+FFFD.
std::u16string Utf16FromCp932(const char* text);
