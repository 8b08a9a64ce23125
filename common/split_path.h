// SplitPath: a path cut at its last backslash into directory and file name.
#pragma once

#include <string>

// Directory without the trailing backslash, file name after it; without a backslash the
// directory is empty and the file name is the whole path. Either output may be null.
// Code page 932 aware: a backslash byte that is the second half of a double-byte
// character (as in "表") is not a separator. Returns false for a null path.
bool SplitPath(const char* path, std::string* directory, std::string* fileName);
