// kelvixd: KELVIX's measurement and report service for Linux machines. It reads the
// drives through the kernel's pass-through interfaces, keeps worst values and the log in
// its state directory, answers PELITO and tempquery on UDP, logs to stderr (the journal)
// and runs in the foreground until SIGTERM or SIGINT. It may also offer the export
// services of KELVIX (hddtemp's TCP answer and Prometheus metrics).
//
//   kelvixd [-c FILE]      (default /etc/kelvix/kelvixd.conf)
#include "daemon_config.h"
#include "drive_database.h"
#include "drive_enumeration.h"
#include "drive_power.h"
#include "drive_source.h"
#include "export_server.h"
#include "kv_version.h"
#include "measurement.h"
#include "pass_through_disk_control.h"
#include "published_drives.h"
#include "query_service.h"
#include "warning_watch.h"
#include "ws32_calls.h"

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

// What CHECK POWER MODE says of an ATA drive (asking does not wake it). A drive found
// asleep at start is not asked again: its identity is still the one sysfs gave.
const char* PowerText(const DriveRecord& record)
{
    if (record.kind != DriveKind::Ata) {
        return "";
    }
    if (record.identityPending != 0) {
        return ", spun down since the start: identity from sysfs, no temperature until it wakes";
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

// What the access rules turned away, told when it grew and at most once a minute, and
// at the end: a flood must not become a flood of journal lines.
class RefusedLog {
public:
    explicit RefusedLog(const RefusedRequests& refused) : refused_(refused) {}

    void Tell(bool atExit)
    {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        const unsigned long notAllowed = refused_.notAllowed.load();
        const unsigned long tooOften = refused_.tooOften.load();
        const bool grew = notAllowed != notAllowed_ || tooOften != tooOften_;
        if (!grew || (!atExit && told_ && now.tv_sec - lastTold_ < kEverySeconds)) {
            return;
        }
        std::fprintf(stderr, "kelvixd: refused so far: %lu requests from addresses outside AllowedHosts, "
                             "%lu over ReportsPerSecond\n", notAllowed, tooOften);
        notAllowed_ = notAllowed;
        tooOften_ = tooOften;
        lastTold_ = now.tv_sec;
        told_ = true;
    }

private:
    static constexpr long kEverySeconds = 60;
    const RefusedRequests& refused_;
    unsigned long notAllowed_ = 0;
    unsigned long tooOften_ = 0;
    long lastTold_ = 0;
    bool told_ = false;
};

// The export services the configuration turns on, behind the report server's access
// rules; false after a message when a listener cannot be opened.
bool StartExport(const DaemonConfig& config, const AccessRules& rules, ExportServer& exporter)
{
    if (config.hddtempPort == 0 && config.metricsPort == 0) {
        return true;
    }
    if (config.hddtempPort == config.metricsPort) {
        std::fprintf(stderr, "kelvixd: [Export] HddtempPort and MetricsPort are both %u\n", config.hddtempPort);
        return false;
    }
    ExportConfig exportConfig;
    exportConfig.access = rules;
    exportConfig.hddtempPort = static_cast<std::uint16_t>(config.hddtempPort);
    exportConfig.metricsPort = static_cast<std::uint16_t>(config.metricsPort);
    ParseListenAddress(config.listenAddress.c_str(), exportConfig.listenAddress);  // checked when read
    const char* where = config.listenAddress.empty() ? "every interface" : config.listenAddress.c_str();
    if (!exporter.Start(exportConfig)) {
        std::fprintf(stderr, "kelvixd: the export services cannot listen on TCP ports %u and %u of %s "
                             "(taken, or not an address of this machine)\n", config.hddtempPort, config.metricsPort,
                     where);
        return false;
    }
    std::fprintf(stderr, "kelvixd: export services on %s: hddtemp TCP port %u, metrics TCP port %u (0: off)\n",
                 where, exporter.HddtempPort(), exporter.MetricsPort());
    return true;
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
    EnumerateDrives(*drives, config.settings.NoWake != 0);
    MeasureAll(*drives, config.settings);
    AnnounceDrives(*drives, *port);
    WarningWatch warnings(config.warning);
    warnings.Check(*drives, stderr);

    Ws32StartupRecord sockets{};
    if (Ws32StartSockets(sockets) != 0) {
        std::fprintf(stderr, "kelvixd: the socket library cannot be started\n");
        InstallDiskControl(nullptr);
        return 1;
    }
    SnapshotBoard board;
    board.Publish(TakeDaemonSnapshot(*drives, config.settings, *port));

    int status = 0;
    {
        QueryService service(drives->table);
        AccessRules rules;
        MakeAccessRules(config.settings.AllowedHosts, config.settings.ReportsPerSecond, rules);
        service.SetAccessRules(rules);
        ExportServer exporter(board, KV_VERSION_TEXT, service.Refused());
        RefusedLog refused(service.Refused());
        if (config.serve) {
            if (!service.Start(config.port)) {
                drives.reset();
                InstallDiskControl(nullptr);
                return 1;
            }
            std::fprintf(stderr, "kelvixd: serving on UDP port %u to %s, %u reports a second each\n", config.port,
                         config.settings.AllowedHosts, config.settings.ReportsPerSecond);
        }
        if (!StartExport(config, rules, exporter)) {
            service.Stop();
            drives.reset();
            InstallDiskControl(nullptr);
            return 1;
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
            board.Publish(TakeDaemonSnapshot(*drives, config.settings, *port));
            warnings.Check(*drives, stderr);
            refused.Tell(false);
        }
        service.Stop();
        exporter.Stop();
        refused.Tell(true);
    }
    drives.reset();  // closes the drives before their disk control goes
    InstallDiskControl(nullptr);
    Ws32EndSockets();
    std::fprintf(stderr, "kelvixd: stopped\n");
    return status;
}
