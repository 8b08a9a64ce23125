// The host PELITO watches: the whole command line, or the local machine.
#pragma once

#include <cstddef>

constexpr std::size_t kHostTextSize = 256;  // 255 bytes and the terminator
constexpr const char* kDefaultHost = "127.0.0.1";

// The command line without surrounding blanks (and without the quotes around a quoted
// argument), cut to 255 bytes on a character boundary;
// "127.0.0.1" when nothing is left. A null command line counts as empty.
void HostFromCommandLine(const char* commandLine, char (&host)[kHostTextSize]);
