// Where the profile functions keep a settings file given by a bare name.
#pragma once

#include <string>

// The Windows directory and the name (the name alone when the directory is unknown), for
// telling the user which file could not be written.
std::string ProfileFilePath(const char* bareName);
