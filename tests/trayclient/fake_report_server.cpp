#include <winsock2.h>

#include "fake_report_server.h"
#include "report_record.h"

#include <cstring>

namespace {

std::uintptr_t BindLoopback(std::uint16_t& port)
{
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    int length = sizeof address;
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return static_cast<std::uintptr_t>(s);
}

}  // namespace

FakeReportServer::FakeReportServer()
{
    socket_ = BindLoopback(port_);
    thread_ = std::thread([this] { Serve(); });
}

FakeReportServer::~FakeReportServer()
{
    stop_ = true;
    thread_.join();
    closesocket(static_cast<SOCKET>(socket_));
    WSACleanup();
}

void FakeReportServer::Set(std::initializer_list<TestDrive> drives)
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::memset(report_, 0, sizeof report_);
    for (const TestDrive& drive : drives) {
        PutReportRecord(report_, drive);
    }
}

void FakeReportServer::Serve()
{
    while (!stop_) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(static_cast<SOCKET>(socket_), &readable);
        timeval wait{0, 50000};
        if (select(0, &readable, nullptr, nullptr, &wait) != 1) {
            continue;
        }
        char request[16];
        sockaddr_in from{};
        int fromLength = sizeof from;
        const int got = recvfrom(static_cast<SOCKET>(socket_), request, sizeof request, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (got == 1 && request[0] == kReportCommand) {
            ++requests_;
            if (ignore_ > 0) {
                --ignore_;
                continue;
            }
            std::lock_guard<std::mutex> lock(mutex_);
            sendto(static_cast<SOCKET>(socket_), reinterpret_cast<const char*>(report_), sizeof report_, 0,
                reinterpret_cast<sockaddr*>(&from), fromLength);
        }
    }
}

SilentPort::SilentPort()
{
    socket_ = BindLoopback(port_);
}

SilentPort::~SilentPort()
{
    closesocket(static_cast<SOCKET>(socket_));
    WSACleanup();
}
