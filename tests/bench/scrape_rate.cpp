// Scrapes of HTTP endpoints on this machine, one in flight, the endpoints taking turns
// round by round so that all see the same machine load. Per port it prints the medians
// over the rounds of the scrapes per second and of the scrape's median and 99th
// percentile, the count of failed scrapes and the body size of the last answer:
//
//   bench_scrape_rate ROUNDS SCRAPES PORT[/PATH]...   (PATH: /metrics unless given)
//   bench_scrape_rate 0 SCRAPES PORT [INTERVAL_MS]
//   PORT SCRAPES_PER_S P50_US P99_US FAILED BODY_BYTES
//
// With ROUNDS 0 it scrapes the first port SCRAPES times and prints nothing but failures
// (the memory run); with a fourth argument INTERVAL_MS it starts one scrape every
// INTERVAL_MS instead of back to back (the background load of the UDP comparison).
#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Percentile(std::vector<double> values, double fraction)
{
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<std::size_t>(fraction * values.size()))];
}

// One GET of `path`; the body's size, or -1 when the scrape failed or took over 5 s.
long Scrape(std::uint16_t port, const std::string& path = "/metrics")
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(port);
    target.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    long body = -1;
    if (connect(fd, reinterpret_cast<sockaddr*>(&target), sizeof target) == 0) {
        const std::string request = "GET " + path + " HTTP/1.1\r\nHost: bench\r\n\r\n";
        send(fd, request.data(), request.size(), MSG_NOSIGNAL);
        std::string answer;
        char buffer[16384];
        for (;;) {
            pollfd entry{fd, POLLIN, 0};
            if (poll(&entry, 1, 5000) != 1) {
                break;
            }
            const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
            if (got <= 0) {
                const std::size_t at = answer.find("\r\n\r\n");
                if (got == 0 && answer.compare(0, 12, "HTTP/1.1 200") == 0 && at != std::string::npos) {
                    body = static_cast<long>(answer.size() - at - 4);
                }
                break;
            }
            answer.append(buffer, static_cast<std::size_t>(got));
        }
    }
    close(fd);
    return body;
}

struct Round {
    double scrapesPerSecond;
    double p50;
    double p99;
};

Round ScrapeRound(std::uint16_t port, const std::string& path, int scrapes, int& failed, long& body)
{
    std::vector<double> micros;
    micros.reserve(scrapes);
    const Clock::time_point begin = Clock::now();
    for (int i = 0; i < scrapes; ++i) {
        const Clock::time_point start = Clock::now();
        const long got = Scrape(port, path);
        if (got < 0) {
            ++failed;
            continue;
        }
        body = got;
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
    return {micros.size() / seconds, Percentile(micros, 0.5), Percentile(micros, 0.99)};
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: bench_scrape_rate ROUNDS SCRAPES PORT...\n");
        return 2;
    }
    const int rounds = std::atoi(argv[1]);
    const int scrapes = std::max(1, std::atoi(argv[2]));
    std::vector<std::uint16_t> ports;
    std::vector<std::string> paths;
    for (int i = 3; i < argc; ++i) {
        ports.push_back(static_cast<std::uint16_t>(std::atoi(argv[i])));
        const char* slash = std::strchr(argv[i], '/');
        paths.push_back(slash != nullptr ? slash : "/metrics");
    }
    if (rounds <= 0) {
        int failed = 0;
        long body = 0;
        if (ports.size() > 1) {
            const auto interval = std::chrono::milliseconds(ports[1]);
            Clock::time_point next = Clock::now();
            for (int i = 0; i < scrapes; ++i) {
                failed += Scrape(ports[0]) < 0 ? 1 : 0;
                next += interval;
                std::this_thread::sleep_until(next);
            }
        } else {
            ScrapeRound(ports[0], paths[0], scrapes, failed, body);
        }
        if (failed > 0) {
            std::printf("failed %d\n", failed);
        }
        return failed > 0 ? 1 : 0;
    }
    std::vector<std::vector<Round>> results(ports.size());
    std::vector<int> failed(ports.size(), 0);
    std::vector<long> body(ports.size(), 0);
    for (std::size_t i = 0; i < ports.size(); ++i) {
        ScrapeRound(ports[i], paths[i], scrapes / 10 + 1, failed[i], body[i]);  // warm-up
    }
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t i = 0; i < ports.size(); ++i) {
            results[i].push_back(ScrapeRound(ports[i], paths[i], scrapes, failed[i], body[i]));
        }
    }
    for (std::size_t i = 0; i < ports.size(); ++i) {
        std::vector<double> rate, p50, p99;
        for (const Round& r : results[i]) {
            rate.push_back(r.scrapesPerSecond);
            p50.push_back(r.p50);
            p99.push_back(r.p99);
        }
        std::printf("%u %.0f %.1f %.1f %d %ld\n", ports[i], Percentile(rate, 0.5), Percentile(p50, 0.5),
            Percentile(p99, 0.5), failed[i], body[i]);
    }
    return 0;
}
