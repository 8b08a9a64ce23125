// KELVIX_SIM.exe: the drives come from a drive-set file, named by the environment
// variable KELVIX_DRIVESET or else "KELVIX_SIM.DRIVES" beside the program.
#include "disk_setup_win.h"

#include "driveset_file.h"
#include "simulated_disk.h"
#include "wide_text_win.h"

#include <windows.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

std::string DriveSetPath()
{
    if (const char* named = std::getenv("KELVIX_DRIVESET"); named && *named) {
        return named;
    }
    char program[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, program, sizeof program);
    std::string path = program;
    const std::size_t separator = path.find_last_of("\\/");
    path.erase(separator == std::string::npos ? 0 : separator + 1);
    return path + "KELVIX_SIM.DRIVES";
}

// Lives until the process ends, after the drive table has closed its devices.
std::unique_ptr<SimulatedDiskBus> g_bus;

}  // namespace

bool InstallProgramDiskControl()
{
    const std::string path = DriveSetPath();
    auto set = std::make_unique<DriveSet>();
    std::string error;
    if (!LoadDriveSet(path, *set, error)) {
        const std::string text = path + "\n" + error;
        MessageBoxCp932(nullptr, text.c_str(), "エラー情報", MB_OK | MB_ICONHAND | MB_SETFOREGROUND | MB_TOPMOST);
        return false;
    }
    g_bus = std::make_unique<SimulatedDiskBus>(*set);
    g_bus->RecordRequests(false);  // a long run must not grow the request log
    InstallDiskControl(g_bus.get());
    return true;
}
