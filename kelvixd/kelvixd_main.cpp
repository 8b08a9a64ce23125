// kelvixd: KELVIX's measurement and report service for Linux machines. It reads the
// drives through the kernel's pass-through interfaces, keeps worst values and the log in
// its state directory, answers PELITO and tempquery on UDP, logs to stderr (the journal)
// and runs in the foreground until SIGTERM or SIGINT; SIGHUP reads the configuration
// again. It may also offer the export services of KELVIX (hddtemp's TCP answer and
// Prometheus metrics).
//
//   kelvixd [-c FILE]      (default /etc/kelvix/kelvixd.conf)
//   kelvixd [-c FILE] --test-notify   sends the test event by the [Notify] settings and
//                                     prints what came of it (exit status 0: delivered)
//   kelvixd [-c FILE] --history-csv DRIVE [--range RANGE]   prints a drive's history
//                                     from the state directory's store as CSV
//   kelvixd [-c FILE] --self-test DRIVE short|long   starts the drive's own self-test
//   kelvixd --help | --version
#include "daemon_config.h"
#include "drive_database.h"
#include "drive_media.h"
#include "drive_enumeration.h"
#include "drive_power.h"
#include "drive_source.h"
#include "export_server.h"
#include "file_trouble.h"
#include "history_export.h"
#include "history_store.h"
#include "journal.h"
#include "kv_version.h"
#include "measurement.h"
#include "mqtt_publisher.h"
#include "notifier.h"
#include "notify_event.h"
#include "pass_through_disk_control.h"
#include "published_drives.h"
#include "query_service.h"
#include "self_test_command.h"
#include "service_manager.h"
#include "settings.h"
#include "verdict_records.h"
#include "warning_watch.h"
#include "web_site.h"
#include "ws32_calls.h"

#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>

namespace {

constexpr char kDefaultConfig[] = "/etc/kelvix/kelvixd.conf";
// A configuration that cannot be used (EX_CONFIG): the unit does not restart on it.
constexpr int kExitConfig = 78;

// Reads the file over the defaults; false when it cannot be used.
bool ReadConfig(const char* path, DaemonConfig& config)
{
    config = DefaultDaemonConfig();
    bool missing = false;
    bool fatal = false;
    for (const ConfigProblem& problem : LoadDaemonConfig(path, config, missing)) {
        Journal(problem.fatal ? Priority::Error : Priority::Warning, "%s:%u: %s", path, problem.line,
                problem.text.c_str());
        fatal = fatal || problem.fatal;
    }
    if (missing) {
        Journal(Priority::Notice, "%s not found: using the defaults", path);
    }
    return !fatal;
}

std::string MediaText(const DriveRecord& record)
{
    const MediaAnswer answer = MediaOf(record);
    return answer.media == DriveMedia::Unknown ? ", media not reported" : ", " + DescribeMedia(answer);
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
    const bool spins = MediaOf(record).media != DriveMedia::SolidState;
    switch (AskDrivePower(record.device.Handle())) {
    case PowerAnswer::SpunUp:
        return spins ? ", spinning" : ", active";
    case PowerAnswer::SpunDown:
        return spins ? ", spun down" : ", in standby";
    default:
        return ", power state unknown";
    }
}

// The temperature, or why there is none, as far as the drive table knows.
std::string TemperatureText(const DriveRecord& record)
{
    if (record.currentTemperature != 0) {
        return ", " + std::to_string(record.currentTemperature) + " C";
    }
    if (record.identityPending != 0) {
        return "";  // the power text says why
    }
    if (record.kind == DriveKind::Nvme && record.healthResult == nullptr) {
        return ", no temperature: the health log cannot be read";
    }
    if (record.lastReadFailed != 0) {
        return ", no temperature: the read failed";
    }
    if (record.kind == DriveKind::Ata && record.temperatureSource == TemperatureSource::DatabaseNone) {
        return ", no temperature: the drive database gives this model none";
    }
    if (record.kind == DriveKind::Ata && record.temperatureSource == TemperatureSource::None) {
        return ", no temperature: no temperature attribute (194 or 190)";
    }
    return ", no temperature: the drive reports none";
}

void AnnounceDrives(const DriveState& drives, const DrivePort& port)
{
    for (std::uint32_t n = 0; n < drives.presentCount; ++n) {
        const std::uint32_t i = drives.presentList[n];
        const DriveRecord& record = drives.table[i];
        Journal(Priority::Info, "drive %u: %s \"%s\" serial \"%s\" firmware \"%s\" %s%s%s%s", i,
                port.Location(i).c_str(), record.model, record.serial, record.firmware,
                record.kind == DriveKind::Nvme ? NvmeRouteMode(record.nvme.Route()) : "ATA",
                MediaText(record).c_str(), TemperatureText(record).c_str(), PowerText(record));
    }
    Journal(Priority::Info, "%u drives read", drives.presentCount);
}

enum class Wake { Measure, Stop, Reload };

// Waits until the deadline or a signal.
Wake WaitForSignal(const sigset_t& signals, const timespec& deadline)
{
    for (;;) {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        long long left = (deadline.tv_sec - now.tv_sec) * 1000000000LL + (deadline.tv_nsec - now.tv_nsec);
        if (left <= 0) {
            return Wake::Measure;
        }
        const timespec wait{static_cast<time_t>(left / 1000000000LL), static_cast<long>(left % 1000000000LL)};
        const int signal = sigtimedwait(&signals, nullptr, &wait);
        if (signal == SIGTERM || signal == SIGINT) {
            Journal(Priority::Notice, "%s received: stopping", signal == SIGTERM ? "SIGTERM" : "SIGINT");
            return Wake::Stop;
        }
        if (signal == SIGHUP) {
            return Wake::Reload;
        }
        if (signal < 0 && errno != EAGAIN && errno != EINTR) {
            Journal(Priority::Error, "sigtimedwait: %s", std::strerror(errno));
            return Wake::Stop;
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
        Journal(Priority::Notice, "refused so far: %lu requests from addresses outside AllowedHosts, "
                                  "%lu over ReportsPerSecond", notAllowed, tooOften);
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
bool StartExport(const DaemonConfig& config, const AccessRules& rules, const WebSite& site, ExportServer& exporter)
{
    if (config.settings.HddtempPort == 0 && config.settings.MetricsPort == 0) {
        return true;
    }
    if (config.settings.HddtempPort == config.settings.MetricsPort) {
        Journal(Priority::Error, "[Export] HddtempPort and MetricsPort are both %u", config.settings.HddtempPort);
        return false;
    }
    ExportConfig exportConfig;
    exportConfig.access = rules;
    exportConfig.hddtempPort = static_cast<std::uint16_t>(config.settings.HddtempPort);
    exportConfig.metricsPort = static_cast<std::uint16_t>(config.settings.MetricsPort);
    exportConfig.web = config.settings.WebPage != 0 ? &site : nullptr;
    ParseListenAddress(config.settings.ListenAddress, exportConfig.listenAddress);  // checked when read
    const char* where = config.settings.ListenAddress[0] == '\0' ? "every interface" : config.settings.ListenAddress;
    if (!exporter.Start(exportConfig)) {
        Journal(Priority::Error, "the export services cannot listen on TCP ports %u and %u of %s "
                                 "(taken, or not an address of this machine)", config.settings.HddtempPort,
                config.settings.MetricsPort, where);
        return false;
    }
    Journal(Priority::Info, "export services on %s: hddtemp TCP port %u, metrics TCP port %u (0: off)%s", where,
            exporter.HddtempPort(), exporter.MetricsPort(),
            exportConfig.web != nullptr && exporter.MetricsPort() != 0 ? ", web page at / on the metrics port" : "");
    return true;
}

// The Home Assistant publisher as kelvix.conf sets it up; its lines go to the journal.
std::unique_ptr<MqttPublisher> StartMqtt(const MqttSettings& settings, unsigned intervalSeconds)
{
    if (!settings.Enabled()) {
        return nullptr;
    }
    char host[256] = "";
    if (gethostname(host, sizeof host - 1) != 0 || host[0] == '\0') {
        std::strcpy(host, "localhost");
    }
    const MqttOrigin origin{host, "kelvixd", KV_VERSION_TEXT, intervalSeconds};
    auto publisher = std::make_unique<MqttPublisher>(settings, origin, MakeMqttClientId("kelvixd", host, getpid()),
        [](const std::string& line) { Journal(Priority::Notice, "%s", line.c_str()); });
    Journal(Priority::Info, "publishing to Home Assistant through MQTT broker %s:%u%s%s, topics %s/..., "
                            "discovery prefix %s", settings.host.c_str(), settings.port,
            settings.tls ? " with TLS" : "", settings.user.empty() ? "" : (" as " + settings.user).c_str(),
            settings.baseTopic.c_str(), settings.discoveryPrefix.c_str());
    publisher->Start();
    return publisher;
}

// The events since the last snapshot go to the sender's queue; the counts (and the
// Home Assistant publisher's state) go with the snapshot to the metrics, and the snapshot
// to the publisher; the history records it.
void PublishAndNotify(SnapshotBoard& board, DriveSnapshot snapshot, EventWatch& watch, Notifier& notifier,
                      const DaemonConfig& config, MqttPublisher* publisher, HistoryStore& history)
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const std::uint64_t nowMs = static_cast<std::uint64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
    if (!config.notify.On()) {
        watch.Forget();  // switched on later, the first measurement tells a drive already hot
    } else {
        for (const NotifyEvent& event : watch.Update(snapshot, nowMs, config.settings.Reminder, std::time(nullptr))) {
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
    history.Record(snapshot, std::time(nullptr));
}

// The history's last write of a session, however it ends.
class HistoryAtEnd {
public:
    explicit HistoryAtEnd(HistoryStore& history) : history_(history) {}
    ~HistoryAtEnd() { history_.Flush(std::time(nullptr), 0); }
    HistoryAtEnd(const HistoryAtEnd&) = delete;
    HistoryAtEnd& operator=(const HistoryAtEnd&) = delete;

private:
    HistoryStore& history_;
};

int TestNotify(const DaemonConfig& config)
{
    if (!config.notify.On()) {
        std::printf("kelvixd: [Notify] names no Url and no Command: nothing to send to\n");
        return 1;
    }
    CancelToken cancel;
    const SendResult result = SendOnce(config.notify, MakeTestEvent(std::time(nullptr), "kelvixd"), ThisHostName(),
                                       NotifyTransport(), cancel);
    std::printf("kelvixd: test notification: %s\n", DescribeResult(result).c_str());
    return result.Delivered() ? 0 : 1;
}

// A state file that cannot be written, and the same file written again.
void TellFileTrouble(const char* path, int error)
{
    std::string where = path;
    if (where.empty() || where[0] != '/') {
        char folder[4096];
        if (getcwd(folder, sizeof folder) != nullptr) {
            where = std::string(folder) + "/" + where;
        }
    }
    const bool settings = std::strcmp(path, kSettingsFile) == 0;
    if (error == 0) {
        Journal(Priority::Notice, "%s is written again%s", where.c_str(),
                settings ? ": the worst temperatures it missed are stored" : "");
        return;
    }
    Journal(Priority::Error, "%s cannot be written: %s: %s", where.c_str(),
            error > 0 ? std::strerror(error) : "unknown reason",
            settings ? "new worst temperatures are kept and written once it can be"
                     : "temperature log lines are lost until it can be");
}

// How one run under one configuration and one drive list ended.
enum class SessionEnd { Stop, Failed, Reload, Rescan, NotStarted };

struct Daemon {
    const char* configPath = kDefaultConfig;
    sigset_t signals{};
    ServiceManager manager;
    // What was notified already: a reload or a new drive list sends no event twice.
    EventWatch events;
    int notStartedStatus = 1;  // the exit status when a run could not start
    // Outlives a new drive list, so that it knows which drives went and removes their
    // entities at once; a new configuration starts it again.
    std::unique_ptr<MqttPublisher> mqtt;
};

// Serves `config` until a signal, a failure, or a change of drives; a good new
// configuration after SIGHUP comes back in `next`.
SessionEnd RunSession(const DaemonConfig& config, Daemon& daemon, DaemonConfig& next)
{
    // Before the change of folder: a drive-set file may be named relative to the caller's.
    const std::unique_ptr<DrivePort> port = OpenDrivePort(config);
    if (!port) {
        daemon.notStartedStatus = kExitConfig;
        return SessionEnd::NotStarted;
    }
    // Worst values (KELVIX.INI's [Worst]) and relative log names live in the state folder.
    if (chdir(config.stateDirectory.c_str()) != 0) {
        Journal(Priority::Error, "state directory %s: %s", config.stateDirectory.c_str(), std::strerror(errno));
        daemon.notStartedStatus = kExitConfig;
        return SessionEnd::NotStarted;
    }
    if (LoadDriveDatabase(config.settings.CfgFile) == 0) {
        Journal(Priority::Error, "drive database %s: %s", config.settings.CfgFile, std::strerror(errno));
        daemon.notStartedStatus = kExitConfig;
        return SessionEnd::NotStarted;
    }
    daemon.notStartedStatus = 1;
    // Each drive's past, written at most once a minute and at the end.
    HistoryStore history(HistoryFilePath(config.stateDirectory),
                         [](const char* line) { Journal(Priority::Warning, "%s", line); });
    const HistoryAtEnd historyAtEnd(history);

    PassThroughDiskControl control(*port);
    InstallDiskControl(&control);
    auto drives = std::make_unique<DriveState>();
    drives->probeCount = kMaxDrives;
    EnumerateDrives(*drives, config.settings.NoWake != 0);
    MeasureAll(*drives, config.settings);
    AnnounceDrives(*drives, *port);
    // Health baselines live beside the worst values, in the state folder's KELVIX.INI.
    IniBaselineStore baselines;
    auto judge = std::make_unique<DriveJudge>(&baselines);
    const WarningLimits limits = WarningLimitsOf(config.settings);
    WarningWatch warnings;
    warnings.Check(*drives, *judge, judge->Judge(*drives, limits, std::time(nullptr)), stderr);

    // The sender's thread takes no signals either (the mask is inherited).
    Notifier notifier([](const std::string& line) { Journal(Priority::Notice, "%s", line.c_str()); });
    notifier.Start(config.notify, ThisHostName());
    if (config.notify.On()) {
        Journal(Priority::Info, "notifications to %s%s%s", MaskedUrl(config.notify.url).c_str(),
                config.notify.WebOn() && config.notify.CommandOn() ? " and " : "",
                config.notify.CommandOn() ? "a command" : "");
    }
    SnapshotBoard board;
    if (!daemon.mqtt) {
        daemon.mqtt = StartMqtt(config.mqtt, config.settings.TimerCurrent);
    }
    MqttPublisher* const mqtt = daemon.mqtt.get();
    PublishAndNotify(board, TakeDaemonSnapshot(*drives, config.settings, *judge, *port), daemon.events, notifier,
                     config, mqtt, history);
    VerdictBoard verdicts;
    verdicts.Publish(MakeVerdictReport(*drives, *judge));

    SessionEnd end = SessionEnd::Stop;
    {
        QueryService service(drives->table);
        AccessRules rules;
        MakeAccessRules(config.settings.AllowedHosts, config.settings.ReportsPerSecond, rules);
        service.SetAccessRules(rules);
        service.SetVerdictBoard(&verdicts);
        WebSiteInfo siteInfo;
        siteInfo.hostName = ThisHostName();
        siteInfo.version = KV_VERSION_TEXT;
        siteInfo.language = ChooseLanguage(ParseLanguageChoice(config.settings.Language), 0);
        siteInfo.refreshSeconds = config.settings.TimerCurrent;
        const WebSite site(board, &history, siteInfo);
        ExportServer exporter(board, KV_VERSION_TEXT, service.Refused());
        RefusedLog refused(service.Refused());
        if (config.settings.UseNetwork != 0) {
            if (!service.Start(config.settings.Port) || !service.WaitUntilBound()) {
                notifier.Stop();
                drives.reset();
                InstallDiskControl(nullptr);
                return SessionEnd::NotStarted;
            }
            Journal(Priority::Info, "serving on UDP port %u to %s, %u reports a second each", config.settings.Port,
                    config.settings.AllowedHosts, config.settings.ReportsPerSecond);
        }
        if (!StartExport(config, rules, site, exporter)) {
            service.Stop();
            notifier.Stop();
            drives.reset();
            InstallDiskControl(nullptr);
            return SessionEnd::NotStarted;
        }
        daemon.manager.Ready(std::to_string(drives->presentCount) + " drives served");
        timespec deadline{};
        clock_gettime(CLOCK_MONOTONIC, &deadline);
        deadline.tv_sec += config.settings.TimerCurrent;
        for (;;) {
            const Wake wake = WaitForSignal(daemon.signals, deadline);
            if (wake == Wake::Stop) {
                daemon.manager.Stopping();
                break;
            }
            if (wake == Wake::Reload) {
                daemon.manager.Reloading();
                Journal(Priority::Notice, "SIGHUP received: reading %s again", daemon.configPath);
                if (ReadConfig(daemon.configPath, next)) {
                    end = SessionEnd::Reload;
                    break;
                }
                Journal(Priority::Error, "%s has errors: the running configuration stays", daemon.configPath);
                daemon.manager.Ready(std::to_string(drives->presentCount) + " drives served");
                continue;
            }
            deadline.tv_sec += config.settings.TimerCurrent;
            if (service.Failed()) {
                Journal(Priority::Error, "the report server ended: stopping");
                end = SessionEnd::Failed;
                break;
            }
            // A drive plugged in or pulled out: the whole list is read again.
            if (DrivesChanged(*port, config)) {
                Journal(Priority::Notice, "drives came or went: reading the drive list again");
                end = SessionEnd::Rescan;
                break;
            }
            MeasureAll(*drives, config.settings);
            const VerdictChanges changes = judge->Judge(*drives, limits, std::time(nullptr));
            PublishAndNotify(board, TakeDaemonSnapshot(*drives, config.settings, *judge, *port), daemon.events,
                             notifier, config, mqtt, history);
            history.Flush(std::time(nullptr));
            verdicts.Publish(MakeVerdictReport(*drives, *judge));
            warnings.Check(*drives, *judge, changes, stderr);
            refused.Tell(false);
        }
        service.Stop();
        exporter.Stop();
        notifier.Stop();
        if (end != SessionEnd::Rescan) {
            daemon.mqtt.reset();  // says offline
        }
        refused.Tell(true);
    }
    drives.reset();  // closes the drives before their disk control goes
    InstallDiskControl(nullptr);
    return end;
}

// Asked for (--help), on standard output with status 0; after a wrong command line, on
// standard error with status 2.
int Usage(std::FILE* out, int status)
{
    std::fprintf(out, "usage: kelvixd [-c FILE] [--test-notify | --self-test DRIVE short|long]\n"
                      "       kelvixd [-c FILE] --history-csv DRIVE [--range hour|day|week|month|year]\n"
                      "       kelvixd --help | --version\n"
                      "Serves the temperatures of this machine's drives on UDP (default port 10008)\n"
                      "to PELITO and tempquery. FILE defaults to %s.\n"
                      "--history-csv prints the history of DRIVE (its number, serial or\n"
                      "model:firmware:serial) kept in the state directory, as CSV.\n", kDefaultConfig);
    return status;
}

}  // namespace

int main(int argc, char** argv)
{
    Daemon daemon;
    bool testNotify = false;
    const char* historyDrive = nullptr;
    const char* historyRange = nullptr;
    const char* selfTestDrive = nullptr;
    const char* selfTestKind = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            return Usage(stdout, 0);
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("kelvixd %s\n", KV_VERSION_TEXT);
            return 0;
        }
        if (std::strcmp(argv[i], "-c") == 0 && i + 1 < argc) {
            daemon.configPath = argv[++i];
        } else if (std::strcmp(argv[i], "--test-notify") == 0) {
            testNotify = true;
        } else if (std::strcmp(argv[i], "--history-csv") == 0 && i + 1 < argc) {
            historyDrive = argv[++i];
        } else if (std::strcmp(argv[i], "--range") == 0 && i + 1 < argc && historyDrive != nullptr) {
            historyRange = argv[++i];
        } else if (std::strcmp(argv[i], "--self-test") == 0 && i + 2 < argc) {
            selfTestDrive = argv[++i];
            selfTestKind = argv[++i];
        } else {
            return Usage(stderr, 2);
        }
    }
    // Lines reach the journal as they are written.
    std::setvbuf(stderr, nullptr, _IOLBF, 0);
    // A peer or request helper that has gone fails the write instead of ending kelvixd.
    std::signal(SIGPIPE, SIG_IGN);

    DaemonConfig config;
    if (!ReadConfig(daemon.configPath, config)) {
        Journal(Priority::Error, "%s: not started", daemon.configPath);
        return kExitConfig;
    }
    if (testNotify) {
        return TestNotify(config);
    }
    if (historyDrive != nullptr) {
        return PrintHistoryCsv(HistoryFilePath(config.stateDirectory), historyDrive, historyRange, stdout, stderr);
    }
    if (selfTestDrive != nullptr) {
        return RunSelfTestCommand(config, selfTestDrive, selfTestKind);
    }
    SetFileTroubleTeller(TellFileTrouble);

    // Signals are taken by the main loop only; the service threads inherit the mask.
    sigemptyset(&daemon.signals);
    sigaddset(&daemon.signals, SIGTERM);
    sigaddset(&daemon.signals, SIGINT);
    sigaddset(&daemon.signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &daemon.signals, nullptr);

    Ws32StartupRecord sockets{};
    if (Ws32StartSockets(sockets) != 0) {
        Journal(Priority::Error, "the socket library cannot be started");
        return 1;
    }
    int status = 0;
    DaemonConfig previous = config;  // what served before a reload, to go back to
    bool reloaded = false;
    for (bool running = true; running;) {
        DaemonConfig next;
        switch (RunSession(config, daemon, next)) {
        case SessionEnd::Stop:
            running = false;
            break;
        case SessionEnd::Failed:
            status = 1;
            running = false;
            break;
        case SessionEnd::Rescan:
            break;
        case SessionEnd::Reload:
            Journal(Priority::Notice, "%s read: serving with it", daemon.configPath);
            previous = config;
            config = next;
            reloaded = true;
            break;
        case SessionEnd::NotStarted:
            daemon.mqtt.reset();  // it may have started with what could not be served
            if (reloaded) {
                Journal(Priority::Error, "the new configuration cannot be served: back to the previous one");
                config = previous;
                reloaded = false;
                break;
            }
            status = daemon.notStartedStatus;
            running = false;
            break;
        }
    }
    daemon.mqtt.reset();
    daemon.manager.Stopping();
    Ws32EndSockets();
    Journal(Priority::Info, "stopped");
    return status;
}
