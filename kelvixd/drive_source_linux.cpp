#include "drive_port_linux.h"
#include "drive_source.h"

std::unique_ptr<DrivePort> OpenDrivePort(const DaemonConfig& config)
{
    return std::make_unique<LinuxDrivePort>(config.sysBlock.c_str(), config.devices.c_str());
}
