// kelvixd's configuration file and the /sys/block names, as any bytes: every problem
// names a line of the file, the values kept stay in their ranges, and at most the asked
// number of drives come out, each a name that came in.
#include "block_devices.h"
#include "daemon_config.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    DaemonConfig config = DefaultDaemonConfig();
    unsigned lines = 0;
    std::istringstream counting(text);
    std::vector<std::string> names;
    for (std::string line; std::getline(counting, line);) {
        ++lines;
        names.push_back(line);
    }
    for (const ConfigProblem& problem : ParseDaemonConfig(text, config)) {
        if (problem.line == 0 || problem.line > lines || problem.text.empty()) {
            std::abort();
        }
    }
    const Settings& settings = config.settings;
    if (settings.TimerCurrent < 1 || settings.TimerCurrent > 86400 || settings.Port < 1 || settings.Port > 65535 ||
        settings.ThresholdCurrent > 255 || settings.NvmeCurrent > 255 || config.stateDirectory.empty() ||
        config.stateDirectory[0] != '/') {
        std::abort();
    }
    const std::size_t limit = size % 17;
    const std::vector<BlockDevice> drives = OrderDrives(names, limit);
    if (drives.size() > limit) {
        std::abort();
    }
    for (const BlockDevice& drive : drives) {
        DriveProtocol protocol = DriveProtocol::Ata;
        if (!IsDriveName(drive.name, protocol) || protocol != drive.protocol) {
            std::abort();
        }
    }
    return 0;
}
