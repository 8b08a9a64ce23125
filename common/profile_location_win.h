// Where the profile functions keep a settings file given by a bare name.
#pragma once

#include <string>

// The Windows directory and the name (the name alone when the directory is unknown), for
// telling the user which file could not be written. A name with a path is that path.
std::string ProfileFilePath(const char* bareName);

// What a box says when that settings file could not be written: the notice and the
// file's full path on the next line.
std::string ProfileWriteFailedText(const char* bareName);
