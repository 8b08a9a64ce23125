#include "program_folder.h"

#include "split_path.h"

namespace {

std::string g_programFolder;

bool IsAbsolute(const char* name)
{
    const bool driveLetter = ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z')) &&
                             name[1] == ':';
    return driveLetter || name[0] == '\\' || name[0] == '/';
}

}  // namespace

std::string ResolveBeside(const std::string& folder, const char* name)
{
    if (name == nullptr) {
        return std::string();
    }
    if (folder.empty() || name[0] == '\0' || IsAbsolute(name)) {
        return name;
    }
    return folder + '\\' + name;
}

void SetProgramFolderFrom(const char* programPath)
{
    g_programFolder.clear();
    SplitPath(programPath, &g_programFolder, nullptr);
}

std::string BesideProgram(const char* name)
{
    return ResolveBeside(g_programFolder, name);
}
