// Report queries against UDP servers on this machine, one query in flight, the servers
// taking turns round by round so that all see the same machine load. Per port it prints
// the medians over the rounds of the queries per second and of the round trip's median
// and 99th percentile, and the count of lost answers:
//
//   bench_query_rate ROUNDS QUERIES PORT...
//   PORT QUERIES_PER_S P50_US P99_US LOST
#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Percentile(std::vector<double> values, double fraction)
{
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<std::size_t>(fraction * values.size()))];
}

struct Round {
    double queriesPerSecond;
    double p50;
    double p99;
};

// One query at a time; an answer missing after a second counts as lost and is asked again.
Round AskRound(std::uint16_t port, int queries, int& lost)
{
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(port);
    target.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::vector<double> micros;
    micros.reserve(queries);
    const Clock::time_point begin = Clock::now();
    while (static_cast<int>(micros.size()) < queries) {
        const Clock::time_point start = Clock::now();
        const char query = 0x01;
        sendto(fd, &query, 1, 0, reinterpret_cast<sockaddr*>(&target), sizeof target);
        pollfd entry{fd, POLLIN, 0};
        char answer[2048];
        if (poll(&entry, 1, 1000) == 1 && recv(fd, answer, sizeof answer, 0) == 1920) {
            micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        } else {
            ++lost;
        }
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
    close(fd);
    return {queries / seconds, Percentile(micros, 0.5), Percentile(micros, 0.99)};
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: bench_query_rate ROUNDS QUERIES PORT...\n");
        return 2;
    }
    const int rounds = std::max(1, std::atoi(argv[1]));
    const int queries = std::max(1, std::atoi(argv[2]));
    std::vector<std::uint16_t> ports;
    for (int i = 3; i < argc; ++i) {
        ports.push_back(static_cast<std::uint16_t>(std::atoi(argv[i])));
    }
    std::vector<std::vector<Round>> results(ports.size());
    std::vector<int> lost(ports.size(), 0);
    for (std::size_t i = 0; i < ports.size(); ++i) {
        AskRound(ports[i], queries / 10 + 1, lost[i]);  // warm-up
    }
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t i = 0; i < ports.size(); ++i) {
            results[i].push_back(AskRound(ports[i], queries, lost[i]));
        }
    }
    for (std::size_t i = 0; i < ports.size(); ++i) {
        std::vector<double> rate, p50, p99;
        for (const Round& r : results[i]) {
            rate.push_back(r.queriesPerSecond);
            p50.push_back(r.p50);
            p99.push_back(r.p99);
        }
        std::printf("%u %.0f %.1f %.1f %d\n", ports[i], Percentile(rate, 0.5), Percentile(p50, 0.5),
            Percentile(p99, 0.5), lost[i]);
    }
    return 0;
}
