// kelvixd's figures against yardsticks measured in the same run:
//  - one measurement cycle over 16 drives: its CPU time through the pass-through seam
//    (kelvixd) against the same core on the Windows-shaped simulated drives (KELVIX);
//  - its report server (one query in flight on loopback) against a bare recvfrom/sendto
//    responder, the yardstick bench_server uses for KELVIX's server (udp_responder.h).
//
//   bench_kelvixd [rounds]
#include "drive_database.h"
#include "drive_enumeration.h"
#include "driveset_file.h"
#include "measurement.h"
#include "pass_through_disk_control.h"
#include "query_service.h"
#include "simulated_disk.h"
#include "simulated_drive_port.h"
#include "udp_responder.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kCyclesPerRound = 2000;
constexpr int kQueriesPerRound = 4000;

double CpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

DriveSet SixteenDrives()
{
    std::string text = "platform 2\n";
    for (unsigned i = 0; i < 16; ++i) {
        text += "drive " + std::to_string(i) + "\nmodel KVX BENCH " + std::to_string(i) +
                "\nattribute 1 0x000f 117 99 00 A1 B2 03\nattribute 9 0x0032 95 95 10 27\n"
                "temperature 194 " + std::to_string(30 + i) + "\n";
    }
    DriveSet set;
    std::string error;
    if (!ParseDriveSet(text, "", ReadSectorFile, set, error)) {
        std::fprintf(stderr, "bench: %s\n", error.c_str());
        std::exit(1);
    }
    return set;
}

// CPU microseconds per cycle over one round, with `control` installed.
double CycleMicroseconds(DiskControl& control, DriveState& drives)
{
    InstallDiskControl(&control);
    const Settings settings;
    const double start = CpuSeconds();
    for (int i = 0; i < kCyclesPerRound; ++i) {
        MeasureAll(drives, settings);
    }
    const double used = CpuSeconds() - start;
    InstallDiskControl(nullptr);
    return used * 1e6 / kCyclesPerRound;
}

void EnumerateWith(DiskControl& control, DriveState& drives)
{
    InstallDiskControl(&control);
    drives.probeCount = DetectProbeCount();
    EnumerateDrives(drives);
    MeasureAll(drives, Settings{});  // the first cycle writes every worst value
    InstallDiskControl(nullptr);
}

// Queries per second, one in flight; lost answers are asked again after 200 ms.
double QueryRate(std::uint16_t port)
{
    const int fd = OpenUdp(0);
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(port);
    target.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    char reply[2048];
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kQueriesPerRound; ++i) {
        for (;;) {
            const char report = 0x01;
            sendto(fd, &report, 1, 0, reinterpret_cast<sockaddr*>(&target), sizeof target);
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 200) == 1 && recv(fd, reply, sizeof reply, 0) == 1920) {
                break;
            }
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    close(fd);
    return kQueriesPerRound / seconds;
}

}  // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    const auto scratch = std::filesystem::temp_directory_path() / ("kv-bench-kelvixd-" + std::to_string(getpid()));
    std::filesystem::create_directories(scratch);
    std::filesystem::current_path(scratch);
    char entry[] = "KVX = 194";
    TheDriveDatabase().ParseLine(entry);

    const DriveSet set = SixteenDrives();
    auto bus = std::make_unique<SimulatedDiskBus>(set);
    bus->RecordRequests(false);
    auto port = std::make_unique<SimulatedDrivePort>(set);
    port->RecordCommands(false);
    auto passThrough = std::make_unique<PassThroughDiskControl>(*port);
    auto kelvix = std::make_unique<DriveState>();
    auto kelvixd = std::make_unique<DriveState>();
    EnumerateWith(*bus, *kelvix);
    EnumerateWith(*passThrough, *kelvixd);
    if (kelvix->presentCount != 16 || kelvixd->presentCount != 16) {
        std::fprintf(stderr, "bench: %u and %u drives present, not 16\n", kelvix->presentCount, kelvixd->presentCount);
        return 1;
    }
    std::vector<double> yardstick, measured;
    for (int r = 0; r < rounds; ++r) {
        yardstick.push_back(CycleMicroseconds(*bus, *kelvix));
        measured.push_back(CycleMicroseconds(*passThrough, *kelvixd));
    }
    const double core = Median(yardstick);
    const double daemon = Median(measured);
    std::printf("measurement cycle, 16 drives, CPU per cycle (median of %d rounds of %d):\n", rounds,
                kCyclesPerRound);
    std::printf("  KELVIX core on Windows requests %8.2f us\n  kelvixd through pass-through   %8.2f us\n"
                "  ratio kelvixd / core            %8.3f\n", core, daemon, daemon / core);

    const int responderFd = OpenUdp(0);
    const std::uint16_t responderPort = PortOf(responderFd);
    std::thread responder(RunResponder, responderFd);
    const int probe = OpenUdp(0);
    const std::uint16_t servicePort = PortOf(probe);
    close(probe);
    QueryService service(kelvixd->table);
    // The rate, not the rate limit, is measured: the default limit would turn most of
    // these queries away (and the loop would ask for ever).
    AccessRules unlimited;
    unlimited.limits.perSourcePerSecond = 0;
    service.SetAccessRules(unlimited);
    if (!service.Start(servicePort)) {
        return 1;
    }
    std::vector<double> bare, served;
    for (int r = 0; r < rounds; ++r) {
        bare.push_back(QueryRate(responderPort));
        served.push_back(QueryRate(servicePort));
    }
    service.Stop();
    const char stop = 0x10;
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(responderPort);
    target.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const int fd = OpenUdp(0);
    sendto(fd, &stop, 1, 0, reinterpret_cast<sockaddr*>(&target), sizeof target);
    responder.join();
    close(fd);
    close(responderFd);
    std::printf("report server, one query in flight (median of %d rounds of %d):\n", rounds, kQueriesPerRound);
    std::printf("  bare responder                  %8.0f queries/s\n  kelvixd                         %8.0f queries/s\n"
                "  ratio kelvixd / responder       %8.3f   (bench_server gives KELVIX's core the same yardstick)\n",
                Median(bare), Median(served), Median(served) / Median(bare));

    InstallDiskControl(nullptr);
    kelvixd.reset();
    kelvix.reset();
    std::filesystem::current_path("/");
    std::filesystem::remove_all(scratch);
    return 0;
}
