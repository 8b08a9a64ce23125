#include "split_path.h"

#include "cp932_text.h"

#include <cstring>

bool SplitPath(const char* path, std::string* directory, std::string* fileName)
{
    if (path == nullptr) {
        return false;
    }
    const std::size_t length = std::strlen(path);
    std::size_t lastSeparator = std::string::npos;
    for (std::size_t i = 0; i < length; ++i) {
        if (IsCp932LeadByte(static_cast<unsigned char>(path[i])) && i + 1 < length) {
            ++i;
        } else if (path[i] == '\\') {
            lastSeparator = i;
        }
    }
    if (lastSeparator == std::string::npos) {
        if (directory) directory->clear();
        if (fileName) fileName->assign(path, length);
    } else {
        if (directory) directory->assign(path, lastSeparator);
        if (fileName) fileName->assign(path + lastSeparator + 1, length - lastSeparator - 1);
    }
    return true;
}
