#include "file_trouble.h"

#include <string>

namespace {

FileTroubleTeller g_teller = nullptr;
// The files failing now; a handful at most (the settings file and a log).
constexpr unsigned kFailingMax = 8;
std::string g_failing[kFailingMax];

}  // namespace

void SetFileTroubleTeller(FileTroubleTeller teller)
{
    g_teller = teller;
}

void NoteFileWrite(const char* path, bool written, int error)
{
    if (path == nullptr) {
        return;
    }
    std::string* known = nullptr;
    std::string* empty = nullptr;
    for (std::string& failing : g_failing) {
        if (failing == path) {
            known = &failing;
        } else if (failing.empty() && empty == nullptr) {
            empty = &failing;
        }
    }
    if (written) {
        if (known != nullptr) {
            known->clear();
            if (g_teller != nullptr) {
                g_teller(path, 0);
            }
        }
        return;
    }
    if (known != nullptr) {
        return;  // told already
    }
    if (empty != nullptr) {
        *empty = path;
    }
    // A ninth failing file is told every time rather than never.
    if (g_teller != nullptr) {
        g_teller(path, error != 0 ? error : -1);
    }
}
