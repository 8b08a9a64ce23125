// Start-up time of a Windows program as its user meets it, from the moment the process is
// created: "window" when its top-level window CLASS/TITLE exists and the program waits for
// input (its creation handler has returned and its message loop runs); "ready" when, with
// a PORT other than 0, a report query (the byte 0x01) to 127.0.0.1:PORT is answered with
// 1920 bytes, else the same as "window". Prints "seen_ms window_ms ready_ms" (seen: the
// window first found, possibly still in its creation handler) and leaves the program
// running. Exit code 1 when it does not get there within 60 s.
//
//   bench_start_probe CLASS TITLE PORT EXE
#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr double kLimitMs = 60000;

class Stopwatch {
public:
    Stopwatch()
    {
        QueryPerformanceFrequency(&frequency_);
        QueryPerformanceCounter(&start_);
    }
    double Ms() const
    {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return 1000.0 * static_cast<double>(now.QuadPart - start_.QuadPart) / static_cast<double>(frequency_.QuadPart);
    }

private:
    LARGE_INTEGER frequency_;
    LARGE_INTEGER start_;
};

// Asks until one 1920-byte answer comes; a port not yet bound just loses the queries.
bool ReportAnswered(unsigned port, const Stopwatch& clock)
{
    SOCKET client = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(static_cast<u_short>(port));
    target.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool answered = false;
    while (!answered && clock.Ms() < kLimitMs) {
        const char query = 0x01;
        sendto(client, &query, 1, 0, reinterpret_cast<sockaddr*>(&target), sizeof target);
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(client, &readable);
        timeval limit{0, 2000};
        if (select(0, &readable, nullptr, nullptr, &limit) == 1) {
            char answer[2048];
            answered = recv(client, answer, sizeof answer, 0) == 1920;
        }
    }
    closesocket(client);
    return answered;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: bench_start_probe CLASS TITLE PORT EXE\n");
        return 2;
    }
    const char* windowClass = argv[1];
    const char* title = argv[2];
    const unsigned port = static_cast<unsigned>(std::atoi(argv[3]));
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        return 1;
    }
    std::string commandLine = std::string("\"") + argv[4] + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};

    const Stopwatch clock;
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::fprintf(stderr, "bench_start_probe: cannot start %s\n", argv[4]);
        return 1;
    }
    double seen = -1;
    double window = -1;
    while (window < 0 && clock.Ms() < kLimitMs) {
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) {
            std::fprintf(stderr, "bench_start_probe: %s ended\n", argv[4]);
            return 1;
        }
        if (FindWindowA(windowClass, title)) {
            if (seen < 0) seen = clock.Ms();
            if (WaitForInputIdle(process.hProcess, 0) == 0) window = clock.Ms();
        }
        if (window < 0) Sleep(1);
    }
    double ready = window;
    if (window >= 0 && port != 0) {
        ready = ReportAnswered(port, clock) ? clock.Ms() : -1;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    WSACleanup();
    if (ready < 0) {
        std::fprintf(stderr, "bench_start_probe: %s not ready within %.0f ms\n", argv[4], kLimitMs);
        return 1;
    }
    std::printf("%.1f %.1f %.1f\n", seen, window, ready);
    return 0;
}
