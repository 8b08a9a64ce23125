#include "disk_control.h"
#include "drive_choice.h"
#include "drive_enumeration.h"
#include "drive_port_linux.h"
#include "drive_source.h"
#include "journal.h"
#include "pass_through_disk_control.h"

namespace {

// Whether the core can read the drive as the port's only drive, as it will read it when
// served; `problem` says why not.
bool Readable(LinuxDrivePort& port, const BlockDevice& drive, std::string& problem)
{
    port.Serve({drive});
    port.TakeProblem();
    PassThroughDiskControl control(port);
    DiskControl& previous = ActiveDiskControl();
    InstallDiskControl(&control);
    bool present = false;
    {
        auto probe = std::make_unique<DriveState>();
        probe->probeCount = 1;
        EnumerateDrives(*probe);
        present = probe->table[0].present != 0;
    }  // the drive closes before its disk control goes
    InstallDiskControl(&previous);
    problem = port.TakeProblem();
    if (!present && problem.empty()) {
        problem = "it answered neither the ATA identity and S.M.A.R.T. reads nor the NVMe ones";
    }
    return present;
}

}  // namespace

std::vector<BlockDevice> ChooseServedDrives(const std::vector<BlockDevice>& found, const std::string& devices,
                                            const ReadableTest& readable)
{
    std::vector<BlockDevice> served;
    for (const BlockDevice& drive : found) {
        const std::string path = devices + "/" + drive.name;
        if (served.size() == kMaxDrives) {
            Journal(Priority::Warning, "%s not served: all %u drive numbers are taken", path.c_str(), kMaxDrives);
            continue;
        }
        std::string problem;
        if (readable(drive, problem)) {
            served.push_back(drive);
        } else {
            Journal(Priority::Warning, "%s not served: %s", path.c_str(), problem.c_str());
        }
    }
    return served;
}

std::unique_ptr<DrivePort> OpenDrivePort(const DaemonConfig& config)
{
    auto port = std::make_unique<LinuxDrivePort>(config.sysBlock.c_str(), config.devices.c_str());
    if (!port->ListProblem().empty()) {
        Journal(Priority::Error, "%s: no drives can be found", port->ListProblem().c_str());
    }
    LinuxDrivePort& probed = *port;
    port->Serve(ChooseServedDrives(port->Found(), config.devices,
                                   [&probed](const BlockDevice& drive, std::string& problem) {
                                       return Readable(probed, drive, problem);
                                   }));
    return port;
}

bool DrivesChanged(const DrivePort& port, const DaemonConfig& config)
{
    std::string problem;
    const std::vector<BlockDevice> now = LinuxDrivePort::Find(config.sysBlock.c_str(), problem);
    const std::vector<BlockDevice>& before = static_cast<const LinuxDrivePort&>(port).Found();
    if (now.size() != before.size()) {
        return true;
    }
    for (std::size_t i = 0; i < now.size(); ++i) {
        if (now[i].name != before[i].name) {
            return true;
        }
    }
    return false;
}
