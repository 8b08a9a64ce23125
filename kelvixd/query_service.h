// kelvixd's report server: KELVIX's query worker on a thread of its own. The stop
// command (a loopback datagram 0x10) ends KELVIX's server, but kelvixd belongs to its
// service manager: the worker ends, the command is logged and the port served again.
#pragma once

#include "drive_table.h"
#include "request_gate.h"
#include "unknown_command_notice.h"
#include "verdict_board.h"

#include <atomic>
#include <cstdint>
#include <thread>

class QueryService {
public:
    explicit QueryService(const DriveRecord (&table)[kMaxDrives]) : table_(table) {}
    QueryService(const QueryService&) = delete;
    QueryService& operator=(const QueryService&) = delete;
    ~QueryService() { Stop(); }

    // The rules the next Start hands the worker (until then: AccessRules()).
    void SetAccessRules(const AccessRules& rules) { rules_ = rules; }
    // Where the worker answers the verdict request from (null: not answered).
    void SetVerdictBoard(const VerdictBoard* verdicts) { verdicts_ = verdicts; }
    // Binds the port first, so that a port in use is reported here with its reason.
    bool Start(std::uint32_t port);
    // Sends the stop command to itself and waits for the worker.
    void Stop();
    // The worker gave up (the port could not be bound or waited on).
    bool Failed() const { return failed_; }
    // What the rules turned away; the export services count into it too.
    RefusedRequests& Refused() { return refused_; }

private:
    void Run();

    const DriveRecord (&table_)[kMaxDrives];
    std::uint32_t port_ = 0;
    std::thread worker_;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> failed_{false};
    UnknownCommandNotice notice_;
    AccessRules rules_;
    RefusedRequests refused_;
    const VerdictBoard* verdicts_ = nullptr;
};

// Whether a UDP socket can be bound to `port` on every address; the errno otherwise.
int ProbeUdpPort(std::uint32_t port);
