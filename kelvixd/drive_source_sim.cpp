#include "driveset_file.h"
#include "drive_source.h"
#include "simulated_drive_port.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {
// Read once, before kelvixd changes folder (the name is kept absolute), and kept: a
// reload serves the same drives, their temperatures going on where they were. A change
// of the file is drives coming or going, as a directory read is for kelvixd.
std::unique_ptr<DriveSet> g_set;
std::string g_path;
std::string g_text;
bool g_changed = false;

std::string FileText(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}
}  // namespace

std::unique_ptr<DrivePort> OpenDrivePort(const DaemonConfig&)
{
    if (g_path.empty()) {
        const char* path = std::getenv("KELVIXD_DRIVESET");
        if (path == nullptr || *path == '\0') {
            std::fprintf(stderr, "<3>kelvixd_sim: KELVIXD_DRIVESET names no drive-set file\n");
            return nullptr;
        }
        char absolute[PATH_MAX];
        g_path = realpath(path, absolute) != nullptr ? absolute : path;
    }
    if (!g_set || g_changed) {
        g_changed = false;
        auto set = std::make_unique<DriveSet>();
        std::string error;
        g_text = FileText(g_path);
        if (!LoadDriveSet(g_path.c_str(), *set, error)) {
            std::fprintf(stderr, "<3>kelvixd_sim: %s: %s\n", g_path.c_str(), error.c_str());
            return nullptr;
        }
        g_set = std::move(set);
    }
    auto port = std::make_unique<SimulatedDrivePort>(*g_set);
    port->RecordCommands(false);
    return port;
}

bool DrivesChanged(const DrivePort&, const DaemonConfig&)
{
    if (FileText(g_path) == g_text) {
        return false;
    }
    g_changed = true;  // read again when the next port opens: this one still uses the set
    return true;
}
