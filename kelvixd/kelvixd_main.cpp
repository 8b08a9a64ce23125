// kelvixd: KELVIX's measurement and report service for Linux machines. It reads the
// drives through the kernel's pass-through interfaces, keeps worst values and the log in
// its state directory, answers PELITO and tempquery on UDP, logs to stderr (the journal)
// and runs in the foreground until SIGTERM or SIGINT. It may also offer the export
// services of KELVIX (hddtemp's TCP answer and Prometheus metrics).
//
//   kelvixd [-c FILE]      (default /etc/kelvix/kelvixd.conf)
//   kelvixd [-c FILE] --test-notify   sends the test event by the [Notify] settings and
//                                     prints what came of it (exit status 0: delivered)
#include "daemon_config.h"
#include "drive_database.h"
#include "drive_enumeration.h"
#include "drive_power.h"
#include "drive_source.h"
#include "export_server.h"
#include "kv_version.h"
#include "measurement.h"
#include "mqtt_publisher.h"
#include "notifier.h"
#include "notify_event.h"
#include "pass_through_disk_control.h"
#include "published_drives.h"
#include "query_service.h"
#include "verdict_records.h"
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
    if (config.settings.HddtempPort == 0 && config.settings.MetricsPort == 0) {
        return true;
    }
    if (config.settings.HddtempPort == config.settings.MetricsPort) {
        std::fprintf(stderr, "kelvixd: [Export] HddtempPort and MetricsPort are both %u\n", config.settings.HddtempPort);
        return false;
    }
    ExportConfig exportConfig;
    exportConfig.access = rules;
    exportConfig.hddtempPort = static_cast<std::uint16_t>(config.settings.HddtempPort);
    exportConfig.metricsPort = static_cast<std::uint16_t>(config.settings.MetricsPort);
    ParseListenAddress(config.settings.ListenAddress, exportConfig.listenAddress);  // checked when read
    const char* where = config.settings.ListenAddress[0] == '\0' ? "every interface" : config.settings.ListenAddress;
    if (!exporter.Start(exportConfig)) {
        std::fprintf(stderr, "kelvixd: the export services cannot listen on TCP ports %u and %u of %s "
                             "(taken, or not an address of this machine)\n", config.settings.HddtempPort, config.settings.MetricsPort,
                     where);
        return false;
    }
    std::fprintf(stderr, "kelvixd: export services on %s: hddtemp TCP port %u, metrics TCP port %u (0: off)\n",
                 where, exporter.HddtempPort(), exporter.MetricsPort());
    return true;
}

// The Home Assistant publisher as kelvix.conf sets it up; its lines go to the journal.
std::unique_ptr<MqttPublisher> StartMqtt(const MqttSettings& settings)
{
    if (!settings.Enabled()) {
        return nullptr;
    }
    char host[256] = "";
    if (gethostname(host, sizeof host - 1) != 0 || host[0] == '\0') {
        std::strcpy(host, "localhost");
    }
    const MqttOrigin origin{host, "kelvixd", KV_VERSION_TEXT};
    auto publisher = std::make_unique<MqttPublisher>(settings, origin, MakeMqttClientId("kelvixd", host, getpid()),
        [](const std::string& line) { std::fprintf(stderr, "kelvixd: %s\n", line.c_str()); });
    std::fprintf(stderr, "kelvixd: publishing to Home Assistant through MQTT broker %s:%u%s%s, topics %s/..., "
                         "discovery prefix %s\n", settings.host.c_str(), settings.port,
                 settings.tls ? " with TLS" : "", settings.user.empty() ? "" : (" as " + settings.user).c_str(),
                 settings.baseTopic.c_str(), settings.discoveryPrefix.c_str());
    publisher->Start();
    return publisher;
}

// The events since the last snapshot go to the sender's queue; the counts (and the
// Home Assistant publisher's state) go with the snapshot to the metrics, and the snapshot
// to the publisher.
void PublishAndNotify(SnapshotBoard& board, DriveSnapshot snapshot, EventWatch& watch, Notifier& notifier,
                      const DaemonConfig& config, MqttPublisher* publisher)
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const std::uint64_t nowMs = static_cast<std::uint64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
    for (const NotifyEvent& event : watch.Update(snapshot, nowMs, config.settings.Reminder, std::time(nullptr))) {
        if (config.notify.On()) {
            notifier.Post(event);
        }
    }
    const NotifyCounts counts = notifier.Counts();
    snapshot.notifications.on = config.notify.On();
    snapshot.notifications.delivered = counts.delivered;
    snapshot.notifications.failed = counts.failed;
    if (publisher != nullptr) {
        snapshot.mqtt = MetricsState(publisher->Status());
        publisher->Offer(snapshot);
    }
    board.Publish(snapshot);
}

int TestNotify(const DaemonConfig& config)
{
    if (!config.notify.On()) {
        std::printf("kelvixd: [Notify] names no Url and no Command: nothing to send to\n");
        return 1;
    }
    CancelToken cancel;
    const SendResult result = SendOnce(config.notify, MakeTestEvent(std::time(nullptr)), ThisHostName(),
                                       NotifyTransport(), cancel);
    std::printf("kelvixd: test notification: %s\n", DescribeResult(result).c_str());
    return result.Delivered() ? 0 : 1;
}

int Usage()
{
    std::fprintf(stderr, "usage: kelvixd [-c FILE] [--test-notify]\n"
                         "Serves the temperatures of this machine's drives on UDP (default port 10008)\n"
                         "to PELITO and tempquery. FILE defaults to %s.\n", kDefaultConfig);
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    const char* configPath = kDefaultConfig;
    bool testNotify = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-c") == 0 && i + 1 < argc) {
            configPath = argv[++i];
        } else if (std::strcmp(argv[i], "--test-notify") == 0) {
            testNotify = true;
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
    if (testNotify) {
        return TestNotify(config);
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
    // Health baselines live beside the worst values, in the state folder's KELVIX.INI.
    IniBaselineStore baselines;
    auto judge = std::make_unique<DriveJudge>(&baselines);
    const WarningLimits limits = WarningLimitsOf(config.settings);
    WarningWatch warnings;
    warnings.Check(*drives, *judge, judge->Judge(*drives, limits), stderr);

    Ws32StartupRecord sockets{};
    if (Ws32StartSockets(sockets) != 0) {
        std::fprintf(stderr, "kelvixd: the socket library cannot be started\n");
        InstallDiskControl(nullptr);
        return 1;
    }
    // The sender's thread takes no signals either (the mask is inherited).
    Notifier notifier([](const std::string& line) { std::fprintf(stderr, "kelvixd: %s\n", line.c_str()); });
    notifier.Start(config.notify, ThisHostName());
    if (config.notify.On()) {
        std::fprintf(stderr, "kelvixd: notifications to %s%s%s\n", MaskedUrl(config.notify.url).c_str(),
                     config.notify.WebOn() && config.notify.CommandOn() ? " and " : "",
                     config.notify.CommandOn() ? "a command" : "");
    }
    EventWatch events;
    SnapshotBoard board;
    const std::unique_ptr<MqttPublisher> mqtt = StartMqtt(config.mqtt);
    PublishAndNotify(board, TakeDaemonSnapshot(*drives, config.settings, *judge, *port), events, notifier, config,
                     mqtt.get());
    VerdictBoard verdicts;
    verdicts.Publish(MakeVerdictReport(*drives, *judge));

    int status = 0;
    {
        QueryService service(drives->table);
        AccessRules rules;
        MakeAccessRules(config.settings.AllowedHosts, config.settings.ReportsPerSecond, rules);
        service.SetAccessRules(rules);
        service.SetVerdictBoard(&verdicts);
        ExportServer exporter(board, KV_VERSION_TEXT, service.Refused());
        RefusedLog refused(service.Refused());
        if (config.settings.UseNetwork != 0) {
            if (!service.Start(config.settings.Port)) {
                drives.reset();
                InstallDiskControl(nullptr);
                return 1;
            }
            std::fprintf(stderr, "kelvixd: serving on UDP port %u to %s, %u reports a second each\n", config.settings.Port,
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
            deadline.tv_sec += config.settings.TimerCurrent;
            if (WaitForSignal(signals, deadline)) {
                break;
            }
            if (service.Failed()) {
                std::fprintf(stderr, "kelvixd: the report server ended: stopping\n");
                status = 1;
                break;
            }
            MeasureAll(*drives, config.settings);
            const VerdictChanges changes = judge->Judge(*drives, limits);
            PublishAndNotify(board, TakeDaemonSnapshot(*drives, config.settings, *judge, *port), events, notifier,
                             config, mqtt.get());
            verdicts.Publish(MakeVerdictReport(*drives, *judge));
            warnings.Check(*drives, *judge, changes, stderr);
            refused.Tell(false);
        }
        service.Stop();
        exporter.Stop();
        notifier.Stop();
        if (mqtt) {
            mqtt->Stop();
        }
        refused.Tell(true);
    }
    drives.reset();  // closes the drives before their disk control goes
    InstallDiskControl(nullptr);
    Ws32EndSockets();
    std::fprintf(stderr, "kelvixd: stopped\n");
    return status;
}
