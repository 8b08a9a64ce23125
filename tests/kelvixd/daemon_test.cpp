// kelvixd's own parts: its configuration file, the warning lines, the report server that
// outlives stop commands, and the Linux drive list under a made-up /sys/block and /dev.
#include "daemon_config.h"
#include "drive_port_linux.h"
#include "drive_choice.h"
#include "drive_source.h"
#include "hddtemp_text.h"
#include "metrics_text.h"
#include "published_drives.h"
#include "query_protocol.h"
#include "query_service.h"
#include "warning_watch.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

TEST(DaemonConfig, KeysOfKelvixIniAndItsOwn)
{
    DaemonConfig config = DefaultDaemonConfig();
    const std::string text = "; kelvixd\r\n"
                             "[Timer]\r\n"
                             "Current = 15\r\n"
                             "NoWake=0\r\n"
                             "WakeAfter=10\r\n"
                             "[network]\n"
                             "Port=10123\n"
                             "UseNetwork=0\n"
                             "[Threshold]\n"
                             "Current=55\n"
                             "[Common]\n"
                             "UseLog=1\n"
                             "LogFile=/var/log/kelvix/temperatures.log\n"
                             "CfgFile=/etc/kelvix/HDDATA.CFG\n"
                             "IconFile=7SEG_G.KVX\n"
                             "# comment\n"
                             "[Daemon]\n"
                             "StateDirectory=/srv/kelvix\n";
    const std::vector<ConfigProblem> problems = ParseDaemonConfig(text, config);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].line, 15u);
    EXPECT_FALSE(problems[0].fatal) << "a KELVIX key without meaning here is only a warning";
    EXPECT_NE(problems[0].text.find("[Common] IconFile"), std::string::npos) << problems[0].text;
    EXPECT_EQ(config.settings.TimerCurrent, 15u);
    EXPECT_EQ(config.settings.NoWake, 0);
    EXPECT_EQ(config.settings.WakeAfter, 10u);
    EXPECT_EQ(config.settings.Port, 10123u);
    EXPECT_EQ(config.settings.UseNetwork, 0);
    EXPECT_EQ(config.settings.ThresholdCurrent, 55u) << "where every rule reads it";
    EXPECT_EQ(config.settings.UseLog, 1);
    EXPECT_STREQ(config.settings.LogFile, "/var/log/kelvix/temperatures.log");
    EXPECT_STREQ(config.settings.CfgFile, "/etc/kelvix/HDDATA.CFG");
    EXPECT_EQ(config.stateDirectory, "/srv/kelvix");
}

TEST(DaemonConfig, DefaultsWithoutAFile)
{
    DaemonConfig config = DefaultDaemonConfig();
    bool missing = false;
    EXPECT_TRUE(LoadDaemonConfig("/nonexistent/kelvixd.conf", config, missing).empty());
    EXPECT_TRUE(missing);
    EXPECT_EQ(config.settings.Port, kDefaultQueryPort);
    EXPECT_EQ(config.settings.TimerCurrent, 60u);
    EXPECT_EQ(config.settings.NoWake, 1) << "spun-down disks are not woken";
    EXPECT_EQ(config.settings.UseNetwork, 1);
    EXPECT_EQ(config.stateDirectory, "/var/lib/kelvix");
    EXPECT_STREQ(config.settings.CfgFile, "/usr/share/kelvix/HDDATA.CFG");
}

TEST(DaemonConfig, BadLinesNameTheirLineAndKey)
{
    const struct {
        const char* text;
        unsigned line;
        const char* mentions;
    } cases[] = {
        {"[Timer]\nCurrent=0\n", 2, "[Timer] Current"},
        {"[Timer]\nCurrent=86401\n", 2, "[Timer] Current"},
        {"[Timer]\nCurrent=1m\n", 2, "not \"1m\""},
        {"[Network]\n\nPort=65536\n", 3, "[Network] Port"},
        {"[Network]\nPort=-1\n", 2, "[Network] Port"},
        {"[Network]\nPort=99999999999\n", 2, "[Network] Port"},
        {"[Network]\nUseNetwork=yes\n", 2, "[Network] UseNetwork"},
        {"[Threshold]\nCurrent=256\n", 2, "[Threshold] Current"},
        {"[Timer]\nNoWake=2\n", 2, "[Timer] NoWake"},
        {"[Timer]\nWakeAfter=x\n", 2, "[Timer] WakeAfter"},
        {"[Common]\nUseLog=2\n", 2, "[Common] UseLog"},
        {"[Common]\nLogFile=\n", 2, "[Common] LogFile"},
        {"[Daemon]\nStateDirectory=var/lib\n", 2, "[Daemon] StateDirectory"},
        {"Port=10008\n", 1, "before any [Section]"},
        {"[Timer\n", 1, "[Name]"},
        {"[Timer]\nCurrent 60\n", 2, "key=value"},
        {"[Timer]\n=60\n", 2, "key=value"},
        {"[Export]\nHddtempPort=65536\n", 2, "[Export] HddtempPort"},
        {"[Export]\nMetricsPort=x\n", 2, "[Export] MetricsPort"},
        {"[Export]\nListenAddress=localhost\n", 2, "[Export] ListenAddress"},
        {"[Export]\nListenAddress=10.0.0.256\n", 2, "[Export] ListenAddress"},
    };
    for (const auto& c : cases) {
        DaemonConfig config = DefaultDaemonConfig();
        const std::vector<ConfigProblem> problems = ParseDaemonConfig(c.text, config);
        ASSERT_EQ(problems.size(), 1u) << c.text;
        EXPECT_TRUE(problems[0].fatal) << c.text;
        EXPECT_EQ(problems[0].line, c.line) << c.text;
        EXPECT_NE(problems[0].text.find(c.mentions), std::string::npos) << c.text << " -> " << problems[0].text;
    }
}

TEST(DaemonConfig, AccessRulesAndExportKeys)
{
    DaemonConfig config = DefaultDaemonConfig();
    EXPECT_STREQ(config.settings.AllowedHosts, kDefaultAllowedHosts);
    EXPECT_EQ(config.settings.ReportsPerSecond, kDefaultReportsPerSecond);
    EXPECT_EQ(config.settings.HddtempPort, 0u) << "the export services are off unless asked for";
    EXPECT_EQ(config.settings.MetricsPort, 0u);
    const std::string text = "[Network]\n"
                             "AllowedHosts = 192.168.1.0/24, 10.1.2.3\n"
                             "ReportsPerSecond = 0\n"
                             "[Export]\n"
                             "HddtempPort=7634\n"
                             "MetricsPort=10634\n"
                             "ListenAddress=127.0.0.1\n";
    EXPECT_TRUE(ParseDaemonConfig(text, config).empty());
    EXPECT_STREQ(config.settings.AllowedHosts, "192.168.1.0/24, 10.1.2.3");
    EXPECT_EQ(config.settings.ReportsPerSecond, 0u) << "0 turns the limit off, as in KELVIX";
    EXPECT_EQ(config.settings.HddtempPort, 7634u);
    EXPECT_EQ(config.settings.MetricsPort, 10634u);
    EXPECT_STREQ(config.settings.ListenAddress, "127.0.0.1");
}

// Junk in the access keys must neither stop the service nor open it to everybody: the
// value falls back to KELVIX's default, with a warning naming line and key.
TEST(DaemonConfig, JunkAccessRulesWarnAndFallBackToTheDefaults)
{
    const struct {
        const char* line;
        const char* key;
    } cases[] = {
        {"AllowedHosts=everybody", "[Network] AllowedHosts"},
        {"AllowedHosts=10.0.0.0/33", "[Network] AllowedHosts"},
        {"AllowedHosts=300.1.1.1", "[Network] AllowedHosts"},
        {"ReportsPerSecond=five", "[Network] ReportsPerSecond"},
        {"ReportsPerSecond=-1", "[Network] ReportsPerSecond"},
        {"ReportsPerSecond=1001", "[Network] ReportsPerSecond"},
        {"ReportsPerSecond=", "[Network] ReportsPerSecond"},
    };
    for (const auto& c : cases) {
        DaemonConfig config = DefaultDaemonConfig();
        std::strcpy(config.settings.AllowedHosts, "1.2.3.4");
        config.settings.ReportsPerSecond = 77;
        const std::string text = std::string("[Network]\n") + c.line + "\n";
        const std::vector<ConfigProblem> problems = ParseDaemonConfig(text, config);
        ASSERT_EQ(problems.size(), 1u) << c.line;
        EXPECT_FALSE(problems[0].fatal) << c.line;
        EXPECT_EQ(problems[0].line, 2u) << c.line;
        EXPECT_NE(problems[0].text.find(c.key), std::string::npos) << problems[0].text;
        if (std::strstr(c.line, "AllowedHosts") != nullptr) {
            EXPECT_STREQ(config.settings.AllowedHosts, kDefaultAllowedHosts) << c.line;
        } else {
            EXPECT_EQ(config.settings.ReportsPerSecond, kDefaultReportsPerSecond) << c.line;
        }
    }
    // A list longer than KELVIX keeps is no list either (cut short it could name others).
    std::string longList = "10.0.0.1";
    while (longList.size() < kAllowedHostsSize) {
        longList += ", 10.0.0.1";
    }
    DaemonConfig config = DefaultDaemonConfig();
    const std::vector<ConfigProblem> problems = ParseDaemonConfig("[Network]\nAllowedHosts=" + longList, config);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_FALSE(problems[0].fatal);
    EXPECT_STREQ(config.settings.AllowedHosts, kDefaultAllowedHosts);
}

// A record as enumeration leaves it.
void SetDrive(DriveState& drives, unsigned i, const char* model, std::uint8_t temperature)
{
    drives.table[i].present = 1;
    std::snprintf(drives.table[i].model, sizeof drives.table[i].model, "%s", model);
    drives.table[i].currentTemperature = temperature;
}

std::string Captured(std::FILE* file)
{
    std::fflush(file);
    std::rewind(file);
    std::string text;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, file) != nullptr) {
        text += buffer;
    }
    std::rewind(file);
    return text;
}

TEST(WarningWatch, OneLineWhenADriveCrossesEitherWay)
{
    auto drives = std::make_unique<DriveState>();
    drives->probeCount = kMaxDrives;
    SetDrive(*drives, 0, "HOT DISK", 50);
    SetDrive(*drives, 2, "COOL DISK", 30);
    DriveJudge judge(nullptr);
    const WarningLimits limits{45, 0};
    WarningWatch watch;
    const auto check = [&](std::FILE* file) { return watch.Check(*drives, judge, judge.Judge(*drives, limits), file); };
    std::FILE* log = std::tmpfile();
    ASSERT_NE(log, nullptr);

    EXPECT_EQ(check(log), 1u);
    std::string text = Captured(log);
    EXPECT_NE(text.find("drive 0 \"HOT DISK\" is at 50 C"), std::string::npos) << text;
    EXPECT_EQ(text.find("COOL DISK"), std::string::npos) << text;

    std::FILE* second = std::tmpfile();
    EXPECT_EQ(check(second), 1u);
    EXPECT_EQ(Captured(second), "") << "still hot: no second line";

    drives->table[0].currentTemperature = 42;  // three below: cooled
    drives->table[2].currentTemperature = 46;  // above it, as the tray says
    std::FILE* third = std::tmpfile();
    EXPECT_EQ(check(third), 1u);
    text = Captured(third);
    EXPECT_NE(text.find("drive 0 \"HOT DISK\" is back below"), std::string::npos) << text;
    EXPECT_NE(text.find("drive 2 \"COOL DISK\" is at 46 C (warning temperature 45 C)"), std::string::npos) << text;

    WarningWatch off;
    DriveJudge never(nullptr);
    std::FILE* fourth = std::tmpfile();
    EXPECT_EQ(off.Check(*drives, never, never.Judge(*drives, WarningLimits{0, 0}), fourth), 0u) << "Current=0";
    EXPECT_EQ(Captured(fourth), "");
    for (std::FILE* f : {log, second, third, fourth}) {
        std::fclose(f);
    }
}

TEST(WarningWatch, AJournalLineForEachHealthChange)
{
    auto drives = std::make_unique<DriveState>();
    drives->probeCount = kMaxDrives;
    SetDrive(*drives, 1, "PENDING DISK", 35);
    std::uint8_t attributes[kSmartEntryCount * kSmartEntrySize] = {197, 0, 0, 100, 100};
    drives->table[1].attributeResult = attributes;
    DriveJudge judge(nullptr);
    WarningWatch watch;
    std::FILE* log = std::tmpfile();
    ASSERT_NE(log, nullptr);
    watch.Check(*drives, judge, judge.Judge(*drives, WarningLimits()), log);
    attributes[kSmartRawOffset] = 8;
    watch.Check(*drives, judge, judge.Judge(*drives, WarningLimits()), log);
    watch.Check(*drives, judge, judge.Judge(*drives, WarningLimits()), log);
    EXPECT_EQ(Captured(log), "<4>health of drive 1 \"PENDING DISK\" is caution (was good): attribute 197 "
                             "(current pending sectors) rose from 0 to 8\n");
    std::fclose(log);
}

// kelvixd with [Threshold] Current=50 tells 50 wherever the warning temperature shows.
TEST(DaemonConfig, TheWarningTemperatureIsTheOnePublished)
{
    DaemonConfig config = DefaultDaemonConfig();
    ASSERT_TRUE(ParseDaemonConfig("[Threshold]\nCurrent=50\nNvmeCurrent=75\n", config).empty());
    auto drives = std::make_unique<DriveState>();
    drives->probeCount = kMaxDrives;
    SetDrive(*drives, 0, "ATA DISK", 48);
    SetDrive(*drives, 1, "NVME DISK", 72);
    drives->table[1].kind = DriveKind::Nvme;
    DriveJudge judge(nullptr);
    judge.Judge(*drives, WarningLimitsOf(config.settings));
    const std::string metrics = BuildMetricsText(TakeSnapshot(*drives, config.settings, judge), "1");
    EXPECT_NE(metrics.find("kelvix_drive_warning_temperature_celsius{drive=\"0\",serial=\"\"} 50\n"), std::string::npos)
        << metrics;
    EXPECT_NE(metrics.find("kelvix_drive_warning_temperature_celsius{drive=\"1\",serial=\"\"} 75\n"), std::string::npos)
        << metrics;
    EXPECT_NE(metrics.find("kelvix_drive_hot{drive=\"0\",serial=\"\"} 0\n"), std::string::npos) << metrics;
}

// A UDP socket on loopback for the client side.
class Client {
public:
    Client() : fd_(socket(AF_INET, SOCK_DGRAM, 0)) {}
    ~Client() { close(fd_); }
    void Send(std::uint32_t port, std::uint8_t command)
    {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(static_cast<std::uint16_t>(port));
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        sendto(fd_, &command, 1, 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    }
    // The next datagram's length, or -1 after `waitMs` without one.
    int Receive(std::vector<std::uint8_t>& bytes, int waitMs = 5000)
    {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, waitMs) != 1) {
            return -1;
        }
        bytes.assign(4096, 0);
        const ssize_t n = recv(fd_, bytes.data(), bytes.size(), 0);
        return static_cast<int>(n);
    }

private:
    int fd_;
};

// A port nobody holds right now.
std::uint32_t FreePort()
{
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in any{};
    any.sin_family = AF_INET;
    bind(fd, reinterpret_cast<sockaddr*>(&any), sizeof any);
    socklen_t length = sizeof any;
    getsockname(fd, reinterpret_cast<sockaddr*>(&any), &length);
    close(fd);
    return ntohs(any.sin_port);
}

TEST(QueryService, AnswersReportsAndOutlivesAStopCommand)
{
    auto drives = std::make_unique<DriveState>();
    SetDrive(*drives, 1, "ST3500418AS", 37);
    drives->table[1].worstTemperature = 42;
    QueryService service(drives->table);
    const std::uint32_t port = FreePort();
    ASSERT_TRUE(service.Start(port));
    Client client;
    std::vector<std::uint8_t> reply;
    // The first report may go out before the worker has bound: ask until one comes.
    int length = -1;
    for (int attempt = 0; attempt < 50 && length < 0; ++attempt) {
        client.Send(port, kReportCommand);
        length = client.Receive(reply);
    }
    ASSERT_EQ(length, 1920);
    EXPECT_EQ(reply[kDriveReportBytes + 0], 1);
    EXPECT_EQ(reply[kDriveReportBytes + 1], 37);
    EXPECT_EQ(reply[kDriveReportBytes + 2], 42);
    EXPECT_STREQ(reinterpret_cast<const char*>(&reply[kDriveReportBytes + 8]), "ST3500418AS");
    EXPECT_EQ(reply[0], 0) << "slot 0 is empty";

    // From this machine the stop command ends KELVIX's worker; kelvixd serves on.
    client.Send(port, kStopCommand);
    length = -1;
    for (int attempt = 0; attempt < 50 && length < 0; ++attempt) {
        client.Send(port, kReportCommand);
        length = client.Receive(reply);
    }
    EXPECT_EQ(length, 1920);
    EXPECT_FALSE(service.Failed());
    service.Stop();
    // Stopped for good: nothing answers any more.
    client.Send(port, kReportCommand);
    EXPECT_EQ(client.Receive(reply, 1000), -1);
}

AccessRules Rules(const char* hosts, std::uint32_t perSecond)
{
    AccessRules rules;
    EXPECT_TRUE(MakeAccessRules(hosts, perSecond, rules)) << hosts;
    return rules;
}

TEST(QueryService, AnswersOnlyTheAllowedNetworks)
{
    auto drives = std::make_unique<DriveState>();
    SetDrive(*drives, 0, "ST380011A", 35);
    Client client;
    std::vector<std::uint8_t> reply;

    QueryService closed(drives->table);
    closed.SetAccessRules(Rules("10.0.0.0/8, 192.168.0.0/16", 0));
    const std::uint32_t closedPort = FreePort();
    ASSERT_TRUE(closed.Start(closedPort));
    // Ask until the worker has seen a request (it may not be bound yet): then it acted.
    for (int attempt = 0; attempt < 50 && closed.Refused().notAllowed == 0; ++attempt) {
        client.Send(closedPort, kReportCommand);
        if (client.Receive(reply, 100) >= 0) {
            ADD_FAILURE() << "answered a sender outside the list";
        }
    }
    EXPECT_GT(closed.Refused().notAllowed.load(), 0u);
    EXPECT_EQ(closed.Refused().tooOften.load(), 0u);
    closed.Stop();  // the stop command from this machine counts whatever the list

    QueryService open(drives->table);
    open.SetAccessRules(Rules("10.0.0.0/8, 127.0.0.1", 0));
    const std::uint32_t openPort = FreePort();
    ASSERT_TRUE(open.Start(openPort));
    int length = -1;
    for (int attempt = 0; attempt < 50 && length < 0; ++attempt) {
        client.Send(openPort, kReportCommand);
        length = client.Receive(reply, 100);
    }
    EXPECT_EQ(length, 1920);
    EXPECT_EQ(open.Refused().notAllowed.load(), 0u);
}

TEST(QueryService, TheRateLimitCapsABurst)
{
    auto drives = std::make_unique<DriveState>();
    SetDrive(*drives, 0, "ST380011A", 35);
    QueryService service(drives->table);
    service.SetAccessRules(Rules("127.0.0.0/8", 1));
    const std::uint32_t port = FreePort();
    ASSERT_TRUE(service.Start(port));
    Client client;
    std::vector<std::uint8_t> reply;
    // The first answer proves the worker is bound; the burst follows at once.
    int length = -1;
    for (int attempt = 0; attempt < 50 && length < 0; ++attempt) {
        client.Send(port, kReportCommand);
        length = client.Receive(reply, 100);
    }
    ASSERT_EQ(length, 1920);
    constexpr unsigned kBurst = 40;
    const auto start = std::chrono::steady_clock::now();
    for (unsigned i = 0; i < kBurst; ++i) {
        client.Send(port, kReportCommand);
    }
    // Every request of the burst is either answered or counted as too often.
    unsigned answered = 0;
    for (int round = 0; round < 500 && answered + service.Refused().tooOften < kBurst; ++round) {
        while (client.Receive(reply, 10) >= 0) {
            ++answered;
        }
    }
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start);
    const RateLimits limits = LimitsForReportsPerSecond(1);
    EXPECT_EQ(answered + service.Refused().tooOften, kBurst);
    // What was left of the burst after the first answer, and one a second since.
    const unsigned allowed = limits.perSourceBurst + static_cast<unsigned>(seconds.count()) + 1;
    EXPECT_LE(answered, allowed) << answered << " answered in about " << seconds.count() << " s";
    EXPECT_GE(answered, 1u);
}

TEST(QueryService, APortInUseIsRefusedAtStart)
{
    const int holder = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in any{};
    any.sin_family = AF_INET;
    ASSERT_EQ(bind(holder, reinterpret_cast<sockaddr*>(&any), sizeof any), 0);
    socklen_t length = sizeof any;
    getsockname(holder, reinterpret_cast<sockaddr*>(&any), &length);
    const std::uint32_t port = ntohs(any.sin_port);
    EXPECT_EQ(ProbeUdpPort(port), EADDRINUSE);
    auto drives = std::make_unique<DriveState>();
    QueryService service(drives->table);
    EXPECT_FALSE(service.Start(port));
    close(holder);
    EXPECT_EQ(ProbeUdpPort(port), 0);
}

// A made-up machine: /sys/block entries and device files in a temporary folder.
class FakeMachine {
public:
    FakeMachine()
    {
        char pattern[] = "/tmp/kelvixd_test_XXXXXX";
        root_ = mkdtemp(pattern);
        mkdir((root_ + "/block").c_str(), 0755);
        mkdir((root_ + "/dev").c_str(), 0755);
    }
    ~FakeMachine() { std::system(("rm -rf " + root_).c_str()); }
    void Block(const char* name) { mkdir((root_ + "/block/" + name).c_str(), 0755); }
    void Device(const char* name) { std::ofstream(root_ + "/dev/" + name) << "not a disk"; }
    std::string Path(const char* sub) const { return root_ + sub; }

private:
    std::string root_;
};

TEST(LinuxDrivePort, FindsDrivesAndSkipsOnesThatCannotBeOpened)
{
    FakeMachine machine;
    for (const char* name : {"loop0", "sdb", "nvme0n1", "sda", "zram0", "vda"}) {
        machine.Block(name);
    }
    machine.Device("sda");
    machine.Device("nvme0n1");
    LinuxDrivePort port(machine.Path("/block").c_str(), machine.Path("/dev").c_str());
    ASSERT_EQ(port.Drives().size(), 3u);
    EXPECT_EQ(port.Drives()[0].name, "sda");
    EXPECT_EQ(port.Drives()[1].name, "sdb");
    EXPECT_EQ(port.Drives()[2].name, "nvme0n1");

    DriveProtocol protocol = DriveProtocol::Ata;
    EXPECT_EQ(port.Open(1, protocol), -1) << "sdb has no device file";
    EXPECT_EQ(port.TakeProblem(), "cannot be opened: No such file or directory");
    EXPECT_EQ(port.TakeProblem(), "") << "said once";
    EXPECT_EQ(port.Open(3, protocol), -1) << "there is no drive 3";
    const int nvme = port.Open(2, protocol);
    ASSERT_GE(nvme, 0);
    EXPECT_EQ(protocol, DriveProtocol::Nvme);
    // A plain file answers no ioctl: every command fails, nothing crashes.
    std::uint8_t data[4096] = {};
    NvmeAdminCommand identify;
    identify.opcode = kNvmeAdminIdentify;
    identify.cdw10 = 1;
    EXPECT_FALSE(port.NvmeAdmin(nvme, identify, data, sizeof data));
    EXPECT_FALSE(port.Ata(nvme, AtaTaskfile{}, data, 512, nullptr));
    AtaRegisters left;
    EXPECT_FALSE(port.Ata(nvme, AtaTaskfile{}, nullptr, 0, &left));
    std::uint64_t length = 0;
    EXPECT_FALSE(port.Length(nvme, length));
    port.Close(nvme);
    EXPECT_EQ(fcntl(nvme, F_GETFD), -1) << "the descriptor is closed";

    // The export services name drives as the kernel does, wherever Devices points.
    EXPECT_EQ(KernelDeviceName(port, 3), "") << "no such drive";
    auto drives = std::make_unique<DriveState>();
    drives->probeCount = kMaxDrives;
    SetDrive(*drives, 0, "ST3500418AS", 36);
    SetDrive(*drives, 2, "Samsung SSD 980 PRO 1TB", 44);
    DriveJudge judge(nullptr);
    judge.Judge(*drives, WarningLimits());
    const DriveSnapshot snapshot = TakeDaemonSnapshot(*drives, Settings(), judge, port);
    EXPECT_EQ(BuildHddtempAnswer(snapshot), "|/dev/sda|ST3500418AS|36|C||/dev/nvme0n1|Samsung SSD 980 PRO 1TB|44|C|");

    LinuxDrivePort none(machine.Path("/missing").c_str(), machine.Path("/dev").c_str());
    EXPECT_TRUE(none.Drives().empty());
    EXPECT_NE(none.ListProblem().find("/missing: No such file or directory"), std::string::npos);
}

// Only drives the core can read take drive numbers; each other one gets a line saying why.
TEST(DriveSource, DrivesThatCannotBeReadAreNamedAndTakeNoNumber)
{
    FakeMachine machine;
    for (const char* name : {"sda", "sdb", "nvme0n1"}) {
        machine.Block(name);
    }
    machine.Device("sda");  // a plain file: every ioctl fails
    machine.Device("nvme0n1");
    DaemonConfig config = DefaultDaemonConfig();
    config.sysBlock = machine.Path("/block");
    config.devices = machine.Path("/dev");
    testing::internal::CaptureStderr();
    const std::unique_ptr<DrivePort> port = OpenDrivePort(config);
    const std::string journal = testing::internal::GetCapturedStderr();
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(port->Location(0), "") << "no drive is served";
    const std::string dev = machine.Path("/dev");
    for (const std::string& line :
         {"<4>" + dev + "/sda not served: ATA pass-through (SG_IO) refused: Inappropriate ioctl for device\n",
          "<4>" + dev + "/sdb not served: cannot be opened: No such file or directory\n",
          "<4>" + dev + "/nvme0n1 not served: NVMe admin command refused: Inappropriate ioctl for device\n"}) {
        EXPECT_NE(journal.find(line), std::string::npos) << line << "in:\n" << journal;
    }
}

// Readable drives take the 16 numbers in the order found; a refused one takes none, and
// each readable one past the 16th is named as not fitting.
TEST(DriveSource, SixteenServedInOrderTheRestNamed)
{
    std::vector<BlockDevice> found;
    for (char last = 'a'; last <= 't'; ++last) {
        found.push_back(BlockDevice{std::string("sd") + last, DriveProtocol::Ata});
    }
    testing::internal::CaptureStderr();
    const std::vector<BlockDevice> served =
        ChooseServedDrives(found, "/dev", [](const BlockDevice& drive, std::string& problem) {
            problem = "refused for the test";
            return drive.name != "sdc";
        });
    const std::string journal = testing::internal::GetCapturedStderr();
    std::string names;
    for (const BlockDevice& drive : served) {
        names += drive.name + " ";
    }
    EXPECT_EQ(names, "sda sdb sdd sde sdf sdg sdh sdi sdj sdk sdl sdm sdn sdo sdp sdq ");
    EXPECT_EQ(journal, "<4>/dev/sdc not served: refused for the test\n"
                       "<4>/dev/sdr not served: all 16 drive numbers are taken\n"
                       "<4>/dev/sds not served: all 16 drive numbers are taken\n"
                       "<4>/dev/sdt not served: all 16 drive numbers are taken\n");
}

// The drive list holds every drive found, the 17th and later too (which of them are
// served is decided by what answers).
TEST(DriveSource, EveryDriveFoundIsListed)
{
    FakeMachine machine;
    std::string name = "sda";
    for (char last = 'a'; last <= 't'; ++last) {
        name[2] = last;
        machine.Block(name.c_str());
    }
    LinuxDrivePort port(machine.Path("/block").c_str(), machine.Path("/dev").c_str());
    ASSERT_EQ(port.Found().size(), 20u);
    EXPECT_EQ(port.Found()[19].name, "sdt");
}

// An ATA string in IDENTIFY words as libata shows them: two characters a word, the first
// in the high byte, padded with blanks.
void PutIdentifyText(unsigned (&words)[256], unsigned first, unsigned count, const std::string& text)
{
    for (unsigned k = 0; k < count; ++k) {
        const char high = 2 * k < text.size() ? text[2 * k] : ' ';
        const char low = 2 * k + 1 < text.size() ? text[2 * k + 1] : ' ';
        words[first + k] = static_cast<unsigned>(static_cast<unsigned char>(high)) << 8 | static_cast<unsigned char>(low);
    }
}

TEST(LinuxDrivePort, DescribesADiskFromSysfsWithoutAskingIt)
{
    FakeMachine machine;
    for (const char* name : {"sda", "sdb", "sdc", "nvme0n1"}) {
        machine.Block(name);
    }
    const auto write = [](const std::string& path, const std::string& text) { std::ofstream(path) << text; };
    const auto scsiDisk = [&](const char* block, const std::string& at, const char* vendor, const char* model,
                              const char* rev) {
        std::system(("mkdir -p '" + machine.Path(at.c_str()) + "'").c_str());
        write(machine.Path(at.c_str()) + "/vendor", vendor);
        write(machine.Path(at.c_str()) + "/model", model);
        write(machine.Path(at.c_str()) + "/rev", rev);
        ASSERT_EQ(symlink(machine.Path(at.c_str()).c_str(), machine.Path(("/block/" + std::string(block) + "/device").c_str()).c_str()), 0);
    };
    // sda on ata port 3, whose IDENTIFY libata kept (in the kernel's layout, as read from
    // a QEMU machine's /sys/class/ata_device/dev1.0/id); sdb behind a USB bridge.
    scsiDisk("sda", "/devices/pci0000:00/0000:00:1f.2/ata3/host2/target2:0:0/2:0:0:0", "ATA     \n",
             "WDC WD800JB-00JJ\n", "1C05\n");
    scsiDisk("sdb", "/devices/pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/target6:0:0/6:0:0:0", "JMicron \n",
             "Generic         \n", "0508\n");
    unsigned words[256] = {};
    PutIdentifyText(words, 10, 10, "WMAJ91234567");
    PutIdentifyText(words, 23, 4, "05.01C05");
    PutIdentifyText(words, 27, 20, "WDC WD800JB-00JJC0");
    std::string id;
    for (unsigned i = 0; i < 256; ++i) {
        char word[8];
        std::snprintf(word, sizeof word, "%04x%c", words[i], (i + 1) % 8 != 0 ? ' ' : '\n');
        id += word;
    }
    std::system(("mkdir -p '" + machine.Path("/class/ata_device/dev3.0") + "'").c_str());
    write(machine.Path("/class/ata_device/dev3.0/id"), id);
    LinuxDrivePort port(machine.Path("/block").c_str(), machine.Path("/dev").c_str());

    DriveDescription sda;
    ASSERT_TRUE(port.Describe(0, sda));
    EXPECT_EQ(sda.model, "WDC WD800JB-00JJC0") << "the whole model, not the 16 characters of the SCSI id";
    EXPECT_EQ(sda.revision, "05.01C05");
    EXPECT_EQ(sda.serial, "WMAJ91234567");
    EXPECT_EQ(sda.vendor, "");
    EXPECT_FALSE(sda.usb);
    DriveDescription sdb;
    ASSERT_TRUE(port.Describe(1, sdb));
    EXPECT_EQ(sdb.vendor, "JMicron");
    EXPECT_EQ(sdb.model, "Generic");
    EXPECT_EQ(sdb.revision, "0508");
    EXPECT_TRUE(sdb.usb) << "its device path leads through a USB port";
    DriveDescription none;
    EXPECT_FALSE(port.Describe(2, none)) << "sdc: sysfs says nothing";
    EXPECT_FALSE(port.Describe(3, none)) << "an NVMe drive is never asleep at start";
    EXPECT_FALSE(port.Describe(4, none)) << "no such drive";
}

}  // namespace
