// ExportServer: the hddtemp-compatible service and the metrics endpoint, both served by
// one thread of their own over non-blocking TCP sockets. It only copies the published
// drive snapshot, so it never waits for the measurement cycle nor the UDP service.
// Connections are bounded in number and in time; Stop ends the thread within one wait
// round (at most kWaitRoundMs).
#pragma once

#include "drive_snapshot.h"
#include "http_request.h"
#include "ws32_types.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>

struct ExportConfig {
    std::uint16_t hddtempPort = 0;  // 0: that service is off
    std::uint16_t metricsPort = 0;  // 0: that service is off
    std::uint32_t listenAddress = 0;  // network order; 0 (INADDR_ANY) = every interface
    unsigned connectionTimeoutMs = 5000;  // a connection not done by then is closed
};

// The listen address of the settings: empty for every interface, else a dotted IPv4
// address. False for anything else (names are not looked up).
bool ParseListenAddress(const char* text, std::uint32_t& address);

// The one place where a new connection is let in or refused.
bool AdmitConnection(const sockaddr_in& peer, unsigned openConnections);

class ExportServer {
public:
    static constexpr unsigned kMaxConnections = 48;
    static constexpr int kWaitRoundMs = 100;
    // Wait rounds for a second after a connection came: Wine's select can wake late
    // for a waiting connection, and short rounds keep a run of scrapes quick.
    static constexpr int kBusyWaitRoundMs = 5;
    static constexpr int kBusyMs = 1000;

    ExportServer(const SnapshotBoard& board, std::string version);
    ExportServer(const ExportServer&) = delete;
    ExportServer& operator=(const ExportServer&) = delete;
    ~ExportServer();

    // Opens the listeners of the services that are on and starts the thread. False, with
    // nothing left open, when a listener cannot be opened (port taken, address not
    // local). The socket library must be started.
    bool Start(const ExportConfig& config);
    // Ends the thread and closes every socket; nothing when not running.
    void Stop();
    bool Running() const { return worker_.joinable(); }

    // The ports the listeners have: the one chosen by the system for port 0 (tests).
    std::uint16_t HddtempPort() const { return hddtempPort_; }
    std::uint16_t MetricsPort() const { return metricsPort_; }
    // Connections answered in full, and connections closed without a full answer
    // (refused, timed out, dropped by the peer).
    unsigned long Answered() const { return answered_.load(); }
    unsigned long Dropped() const { return dropped_.load(); }

private:
    enum class Service : std::uint8_t { Hddtemp, Metrics };
    struct Connection {
        Ws32Socket socket = kInvalidSocket;  // kInvalidSocket: a free slot
        Service service = Service::Hddtemp;
        bool sending = false;  // the answer is made; what is left of it goes out
        std::chrono::steady_clock::time_point deadline;
        HttpRequestReader request;
        std::string answer;
        std::size_t sent = 0;
    };

    void Run();
    void AcceptWaiting(Ws32Socket listener, Service service);
    void Receive(Connection& connection);
    void SendPending(Connection& connection);
    void Close(Connection& connection, bool answered);

    const SnapshotBoard& board_;
    const std::string version_;
    ExportConfig config_;
    Ws32Socket hddtempListener_ = kInvalidSocket;
    Ws32Socket metricsListener_ = kInvalidSocket;
    std::uint16_t hddtempPort_ = 0;
    std::uint16_t metricsPort_ = 0;
    Connection connections_[kMaxConnections];
    unsigned openConnections_ = 0;
    std::chrono::steady_clock::time_point busyUntil_;
    std::atomic<bool> stop_{false};
    std::atomic<unsigned long> answered_{0};
    std::atomic<unsigned long> dropped_{0};
    std::thread worker_;
};
