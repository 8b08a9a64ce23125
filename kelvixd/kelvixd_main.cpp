// kelvixd: KELVIX's measurement and report service for Linux machines. It reads the
// drives through the kernel's pass-through interfaces, keeps worst values and the log in
// its state directory, answers PELITO and tempquery on UDP, logs to stderr (the journal)
// and runs in the foreground until SIGTERM or SIGINT.
//
//   kelvixd [-c FILE]      (default /etc/kelvix/kelvixd.conf)
#include "daemon_config.h"
#include "drive_database.h"
#include "drive_enumeration.h"
#include "drive_power.h"
#include "drive_source.h"
#include "measurement.h"
#include "pass_through_disk_control.h"
#include "query_service.h"
#include "warning_watch.h"

#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>

namespace {

constexpr char kDefaultConfig[] = "/etc/kelvix/kelvixd.conf";

bool ReadConfig(const char* path, DaemonConfig& config)
{
    bool missing = false;
    bool fatal = false;
    for (const ConfigProblem& problem : LoadDaemonConfig(path, config, missing)) {
        std::fprintf(stderr, "kelvixd: %s:%u: %s\n", path, problem.line, problem.text.c_str());
        fatal = fatal || problem.fatal;
    }
    if (missing) {
        std::fprintf(stderr, "kelvixd: %s not found: using the defaults\n", path);
    }
    return !fatal;
}

// What CHECK POWER MODE says of an ATA drive (asking does not wake it).
const char* PowerText(const DriveRecord& record)
{
    if (record.kind != DriveKind::Ata) {
        return "";
    }
    switch (AskDrivePower(record.device.Handle())) {
    case PowerAnswer::SpunUp:
        return ", spinning";
    case PowerAnswer::SpunDown:
        return ", spun down";
    default:
        return ", power state unknown";
    }
}

void AnnounceDrives(const DriveState& drives, const DrivePort& port)
{
    for (std::uint32_t n = 0; n < drives.presentCount; ++n) {
        const std::uint32_t i = drives.presentList[n];
        const DriveRecord& record = drives.table[i];
        std::fprintf(stderr, "kelvixd: drive %u: %s \"%s\" serial \"%s\" firmware \"%s\" %s, %u C%s\n", i,
                     port.Location(i).c_str(), record.model, record.serial, record.firmware,
                     record.kind == DriveKind::Nvme ? "NVMe" : "ATA", record.currentTemperature, PowerText(record));
    }
    std::fprintf(stderr, "kelvixd: %u drives read\n", drives.presentCount);
}

// Waits until the deadline or a stop signal; true for a signal.
bool WaitForSignal(const sigset_t& signals, const timespec& deadline)
{
    for (;;) {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        long long left = (deadline.tv_sec - now.tv_sec) * 1000000000LL + (deadline.tv_nsec - now.tv_nsec);
        if (left <= 0) {
            return false;
        }
        const timespec wait{static_cast<time_t>(left / 1000000000LL), static_cast<long>(left % 1000000000LL)};
        const int signal = sigtimedwait(&signals, nullptr, &wait);
        if (signal == SIGTERM || signal == SIGINT) {
            std::fprintf(stderr, "kelvixd: %s received: stopping\n", signal == SIGTERM ? "SIGTERM" : "SIGINT");
            return true;
        }
        if (signal < 0 && errno != EAGAIN && errno != EINTR) {
            std::perror("kelvixd: sigtimedwait");
            return true;
        }
    }
}

int Usage()
{
    std::fprintf(stderr, "usage: kelvixd [-c FILE]\n"
                         "Serves the temperatures of this machine's drives on UDP (default port 10008)\n"
                         "to PELITO and tempquery. FILE defaults to %s.\n", kDefaultConfig);
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    const char* configPath = kDefaultConfig;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-c") == 0 && i + 1 < argc) {
            configPath = argv[++i];
        } else {
            return Usage();
        }
    }
    // Lines reach the journal as they are written.
    std::setvbuf(stderr, nullptr, _IOLBF, 0);

    DaemonConfig config = DefaultDaemonConfig();
    if (!ReadConfig(configPath, config)) {
        std::fprintf(stderr, "kelvixd: %s: not started\n", configPath);
        return 1;
    }
    // Before the change of folder: a drive-set file may be named relative to the caller's.
    const std::unique_ptr<DrivePort> port = OpenDrivePort(config);
    if (!port) {
        return 1;
    }
    // Worst values (KELVIX.INI's [Worst]) and relative log names live in the state folder.
    if (chdir(config.stateDirectory.c_str()) != 0) {
        std::fprintf(stderr, "kelvixd: state directory %s: %s\n", config.stateDirectory.c_str(),
                     std::strerror(errno));
        return 1;
    }
    if (LoadDriveDatabase(config.settings.CfgFile) == 0) {
        std::fprintf(stderr, "kelvixd: drive database %s: %s\n", config.settings.CfgFile, std::strerror(errno));
        return 1;
    }

    // Signals are taken by the main loop only; the query thread inherits the mask.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    PassThroughDiskControl control(*port);
    InstallDiskControl(&control);
    auto drives = std::make_unique<DriveState>();
    drives->probeCount = kMaxDrives;
    EnumerateDrives(*drives);
    MeasureAll(*drives, config.settings);
    AnnounceDrives(*drives, *port);
    WarningWatch warnings(config.warning);
    warnings.Check(*drives, stderr);

    int status = 0;
    {
        QueryService service(drives->table);
        if (config.serve) {
            if (!service.Start(config.port)) {
                InstallDiskControl(nullptr);
                return 1;
            }
            std::fprintf(stderr, "kelvixd: serving on UDP port %u\n", config.port);
        }
        timespec deadline{};
        clock_gettime(CLOCK_MONOTONIC, &deadline);
        for (;;) {
            deadline.tv_sec += config.interval;
            if (WaitForSignal(signals, deadline)) {
                break;
            }
            if (service.Failed()) {
                std::fprintf(stderr, "kelvixd: the report server ended: stopping\n");
                status = 1;
                break;
            }
            MeasureAll(*drives, config.settings);
            warnings.Check(*drives, stderr);
        }
        service.Stop();
    }
    drives.reset();  // closes the drives before their disk control goes
    InstallDiskControl(nullptr);
    std::fprintf(stderr, "kelvixd: stopped\n");
    return status;
}
