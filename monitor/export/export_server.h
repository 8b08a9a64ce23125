// ExportServer: the hddtemp-compatible service and the metrics endpoint. A thread per
// listener waits in accept and answers a client whose request is there at once (nearly
// all of them) on the spot; slow or incomplete clients go to one thread that serves them
// over non-blocking sockets. Waiting in accept rather than in select keeps a scrape quick
// where select wakes late for a new connection (Wine). The answers are built once per
// published drive snapshot, so nothing waits for the measurement cycle nor the UDP service. Connections
// are bounded in number and in time; Stop wakes the accepts and ends every thread.
#pragma once

#include "drive_snapshot.h"
#include "export_answers.h"
#include "http_request.h"
#include "request_gate.h"
#include "web_answerer.h"
#include "ws32_types.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct ExportConfig {
    std::uint16_t hddtempPort = 0;  // 0: that service is off
    std::uint16_t metricsPort = 0;  // 0: that service is off
    std::uint32_t listenAddress = 0;  // network order; 0 (INADDR_ANY) = every interface
    unsigned connectionTimeoutMs = 5000;  // a connection not done by then is closed
    // Who is answered and how often: the same rules as the report service's.
    AccessRules access;
    // The web page and its API on the metrics port (null: off, only /metrics is found).
    // The owner keeps it alive while the server runs.
    const WebAnswerer* web = nullptr;
};

// The listen address of the settings: empty for every interface, else a dotted IPv4
// address. False for anything else (names are not looked up).
bool ParseListenAddress(const char* text, std::uint32_t& address);

// The one place where a new connection is let in or refused: a free place, a peer the
// rules allow, and an answer the rate limit allows now (a connection is one answer).
// A refused connection is closed without a word.
bool AdmitConnection(const sockaddr_in& peer, unsigned openConnections, RequestGate& gate, std::uint64_t nowMs);

class ExportServer {
public:
    static constexpr unsigned kMaxConnections = 48;
    // The wait round of the thread serving slow clients: how late a handed-over client
    // is first looked at, and how often the time-outs are checked.
    static constexpr int kWaitRoundMs = 20;
    // How long an accepting thread waits for a request before it hands the client over.
    static constexpr int kQuickReadMs = 10;

    // Refusals by the access rules are counted into `refused`, which must outlive this.
    ExportServer(const SnapshotBoard& board, std::string version, RefusedRequests& refused);
    ExportServer(const ExportServer&) = delete;
    ExportServer& operator=(const ExportServer&) = delete;
    ~ExportServer();

    // Opens the listeners of the services that are on and starts the thread. False, with
    // nothing left open, when a listener cannot be opened (port taken, address not
    // local). The socket library must be started.
    bool Start(const ExportConfig& config);
    // Ends the thread and closes every socket; nothing when not running.
    void Stop();
    bool Running() const { return slowWorker_.joinable(); }

    // The ports the listeners have: the one chosen by the system for port 0 (tests).
    std::uint16_t HddtempPort() const { return hddtempPort_; }
    std::uint16_t MetricsPort() const { return metricsPort_; }
    // Connections answered in full, and connections closed without a full answer
    // (refused for any reason, timed out, dropped by the peer).
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
        SharedText answer;  // shared with every other connection of the same snapshot
        std::size_t sent = 0;
    };

    void AcceptLoop(Ws32Socket listener, Service service);
    // Serves a new connection as far as it goes without waiting long; false when it is
    // still open and must be handed over.
    bool ServeAtOnce(Connection& connection);
    void HandOver(Connection&& connection);
    void ServeSlowClients();
    void TakeHandedOver();
    void CloseListeners();
    void Receive(Connection& connection);
    void SendPending(Connection& connection);
    void Close(Connection& connection, bool answered);

    ExportAnswers answers_;
    RefusedRequests& refused_;
    ExportConfig config_;
    Ws32Socket hddtempListener_ = kInvalidSocket;
    Ws32Socket metricsListener_ = kInvalidSocket;
    std::uint16_t hddtempPort_ = 0;
    std::uint16_t metricsPort_ = 0;
    // Owned by the thread serving slow clients.
    Connection connections_[kMaxConnections];
    // Handed over by the accepting threads, not yet taken.
    std::mutex handOverMutex_;
    std::condition_variable handedOverSignal_;
    std::vector<Connection> handedOver_;
    // Open anywhere: being served at once, handed over or in connections_.
    std::atomic<unsigned> openConnections_{0};
    std::atomic<bool> stop_{false};
    std::atomic<unsigned long> answered_{0};
    std::atomic<unsigned long> dropped_{0};
    std::thread hddtempAcceptor_;
    std::thread metricsAcceptor_;
    std::thread slowWorker_;
};
