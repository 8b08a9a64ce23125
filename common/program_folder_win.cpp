#include "program_folder_win.h"

#include "program_folder.h"

#include <windows.h>

void UseProgramFolderForFiles()
{
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length > 0 && length < sizeof path) {
        SetProgramFolderFrom(path);
    }
}
