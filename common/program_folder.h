// Relative names of the programs' files (drive database, glyph file, log) are taken
// relative to the program's own folder, not the working folder: started at logon by the
// task scheduler, a program's working folder is System32.
#pragma once

#include <string>

// name when it is absolute (a drive letter, a leading backslash or slash) or folder is
// empty; otherwise folder\name. The name as the user wrote it stays in the settings.
std::string ResolveBeside(const std::string& folder, const char* name);

// The folder BesideProgram uses: the directory of programPath (code page 932 aware).
void SetProgramFolderFrom(const char* programPath);
// ResolveBeside with that folder; names stand as they are until it is set.
std::string BesideProgram(const char* name);
