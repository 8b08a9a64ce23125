// Report-server figures on loopback: throughput against a minimal responder measured in
// the same run, round-trip latency of one report query, and the resident memory over
// 100,000 requests.
//
//   bench_server [rounds]
#include "drive_fixture.h"
#include "loopback_socket.h"
#include "temperature_server.h"
#include "udp_responder.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRequestsPerRound = 20000;
constexpr int kInFlight = 4;
constexpr int kLatencySamples = 20000;
constexpr int kMemoryRequests = 100000;  // in steps of 25,000
constexpr double kRequiredRatio = 0.9;

class Client {
public:
    explicit Client(std::uint16_t target) : fd_(OpenUdp(0))
    {
        target_.sin_family = AF_INET;
        target_.sin_port = htons(target);
        target_.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    }
    ~Client() { close(fd_); }

    void Send(char command = 0x01)
    {
        sendto(fd_, &command, 1, 0, reinterpret_cast<sockaddr*>(&target_), sizeof target_);
    }

    // One answer; false after a second without one (a lost datagram).
    bool Receive()
    {
        pollfd entry{fd_, POLLIN, 0};
        if (poll(&entry, 1, 1000) != 1) {
            return false;
        }
        char answer[2048];
        return recv(fd_, answer, sizeof answer, 0) == 1920;
    }

private:
    int fd_;
    sockaddr_in target_{};
};

// Requests per second with a few requests in flight; lost answers are re-requested.
double Throughput(std::uint16_t port, int requests, int& lost)
{
    Client client(port);
    for (int i = 0; i < kInFlight; ++i) {
        client.Send();
    }
    const Clock::time_point start = Clock::now();
    for (int answered = 0; answered < requests;) {
        if (client.Receive()) {
            ++answered;
        } else {
            ++lost;
        }
        client.Send();
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    for (int i = 0; i < kInFlight; ++i) {
        client.Receive();
    }
    return requests / seconds;
}

double Percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    const std::size_t index = std::min(values.size() - 1, static_cast<std::size_t>(fraction * values.size()));
    return values[index];
}

std::vector<double> RoundTrips(std::uint16_t port, int samples)
{
    Client client(port);
    std::vector<double> micros;
    micros.reserve(samples);
    for (int i = 0; i < samples; ++i) {
        const Clock::time_point start = Clock::now();
        client.Send();
        if (client.Receive()) {
            micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        }
    }
    return micros;
}

long ResidentKilobytes()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::strtol(line.c_str() + 6, nullptr, 10);
        }
    }
    return -1;
}

double Median(std::vector<double> values)
{
    return Percentile(std::move(values), 0.5);
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;

    auto drives = std::make_unique<DriveState>();
    for (unsigned slot = 0; slot < kMaxDrives; ++slot) {
        PutDrive(*drives, {slot, static_cast<std::uint8_t>(30 + slot), static_cast<std::uint8_t>(40 + slot),
                           "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789WXYZ", "05.01C05", "WD-WMAM9A123456"});
    }
    TemperatureServer service(drives->table);
    if (!service.StartUp()) {
        return 1;
    }
    // Measured without the rate limit, as a user who turned it off would run it.
    AccessRules unlimited;
    MakeAccessRules(kDefaultAllowedHosts, 0, unlimited);
    service.SetAccessRules(unlimited);
    const std::uint16_t serverPort = FreeUdpPort();
    if (!service.StartServer(serverPort) || !WaitUntilServing(serverPort)) {
        std::fprintf(stderr, "bench: the server did not start\n");
        return 1;
    }
    const int responderFd = OpenUdp(0);
    const std::uint16_t responderPort = PortOf(responderFd);
    std::thread responder(RunResponder, responderFd);

    // Throughput: the two alternate round by round, so both see the same machine load.
    int lost = 0;
    Throughput(serverPort, 2000, lost);
    Throughput(responderPort, 2000, lost);
    std::vector<double> serverRates;
    std::vector<double> responderRates;
    for (int round = 0; round < rounds; ++round) {
        serverRates.push_back(Throughput(serverPort, kRequestsPerRound, lost));
        responderRates.push_back(Throughput(responderPort, kRequestsPerRound, lost));
    }
    const double serverRate = Median(serverRates);
    const double responderRate = Median(responderRates);
    const double ratio = serverRate / responderRate;
    std::printf("throughput (%d in flight, median of %d rounds of %d requests)\n", kInFlight, rounds,
                kRequestsPerRound);
    std::printf("  report server     %10.0f requests/s\n", serverRate);
    std::printf("  minimal responder %10.0f requests/s\n", responderRate);
    std::printf("  ratio             %10.3f (required >= %.1f: %s)\n", ratio, kRequiredRatio,
                ratio >= kRequiredRatio ? "met" : "NOT MET");
    std::printf("  lost answers      %10d\n", lost);

    const std::vector<double> serverTrips = RoundTrips(serverPort, kLatencySamples);
    const std::vector<double> responderTrips = RoundTrips(responderPort, kLatencySamples);
    std::printf("round trip of one report query (%d samples)\n", kLatencySamples);
    std::printf("  report server     median %7.1f us   p99 %7.1f us\n", Percentile(serverTrips, 0.5),
                Percentile(serverTrips, 0.99));
    std::printf("  minimal responder median %7.1f us   p99 %7.1f us\n", Percentile(responderTrips, 0.5),
                Percentile(responderTrips, 0.99));

    // Memory: the resident size of this process (server, client and responder) sampled
    // every 25,000 requests; a leak per request would show as steady growth.
    int memoryLost = 0;
    std::printf("resident memory over %d requests to the server\n", kMemoryRequests);
    const long before = ResidentKilobytes();
    std::printf("  after      0 requests: %ld kB\n", before);
    long after = before;
    for (int done = 25000; done <= kMemoryRequests; done += 25000) {
        Throughput(serverPort, 25000, memoryLost);
        after = ResidentKilobytes();
        std::printf("  after %6d requests: %ld kB\n", done, after);
    }
    std::printf("  growth %ld kB\n", after - before);

    Client(responderPort).Send(0x10);
    responder.join();
    close(responderFd);
    service.StopServer(serverPort);
    service.CleanUp();
    return ratio >= kRequiredRatio ? 0 : 2;
}
