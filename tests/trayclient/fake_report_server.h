// A monitor's report service for the tray client's tests: answers the report command
// with the report it holds, from its own thread, on a free loopback port.
#pragma once

#include "query_protocol.h"
#include "test_drive.h"

#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <mutex>
#include <thread>

class FakeReportServer {
public:
    FakeReportServer();
    ~FakeReportServer();
    FakeReportServer(const FakeReportServer&) = delete;
    FakeReportServer& operator=(const FakeReportServer&) = delete;

    std::uint16_t Port() const { return port_; }
    void Set(std::initializer_list<TestDrive> drives);
    int Requests() const { return requests_; }
    // The next `count` report requests go unanswered, as a lost datagram or a host still starting.
    void IgnoreNext(int count) { ignore_ = count; }

private:
    void Serve();

    std::uintptr_t socket_ = 0;  // the winsock socket; its header stays out of the tests
    std::uint16_t port_ = 0;
    std::mutex mutex_;
    std::uint8_t report_[kReportBytes] = {};
    std::atomic<int> requests_{0};
    std::atomic<int> ignore_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// A loopback port with a bound socket that never answers.
class SilentPort {
public:
    SilentPort();
    ~SilentPort();
    std::uint16_t Port() const { return port_; }

private:
    std::uintptr_t socket_ = 0;  // the winsock socket; its header stays out of the tests
    std::uint16_t port_ = 0;
};
