// The program's own folder for its relative file names, from the running program's path.
#pragma once

// Called once by a program's entry; in-process tests leave names as they stand.
void UseProgramFolderForFiles();
