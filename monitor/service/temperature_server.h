// TemperatureServer: the monitor's optional UDP service. StartUp/CleanUp bracket the
// socket library for the whole life of the main window; StartServer/StopServer run and
// end the worker thread that answers queries from the drive table.
#pragma once

#include "drive_table.h"
#include "request_gate.h"
#include "unknown_command_notice.h"
#include "verdict_board.h"
#include "ws32_types.h"

#include <cstdint>
#include <thread>

class TemperatureServer {
public:
    explicit TemperatureServer(const DriveRecord (&table)[kMaxDrives]);
    TemperatureServer(const TemperatureServer&) = delete;
    TemperatureServer& operator=(const TemperatureServer&) = delete;
    virtual ~TemperatureServer();

    // Starts loading the socket library on a thread of its own, so that the loading
    // overlaps the rest of the program's start; StartUp then only waits for it.
    void BeginStartUp();
    // Loads the socket library (or waits for BeginStartUp's loading) and starts Windows
    // Sockets 1.1. Shows entry 9 or 10 on failure.
    bool StartUp();
    // Ends Windows Sockets and drops the library, if StartUp loaded it.
    void CleanUp();
    // The rules the next StartServer hands its worker (until then: AccessRules()).
    void SetAccessRules(const AccessRules& rules) { rules_ = rules; }
    // Where the next StartServer's worker answers the verdict request from (null: not).
    void SetVerdictBoard(const VerdictBoard* verdicts) { verdicts_ = verdicts; }
    // False without a message while a worker is still held; entry 8 if no thread starts.
    bool StartServer(std::uint32_t port);
    // Sends the stop command to 127.0.0.1:port and waits for the worker without a time
    // limit. Entries 13 and 14 if the command cannot go out; the worker is then still held.
    void StopServer(std::uint32_t port);

    bool HoldsWorker() const { return worker_.joinable(); }
    // Unknown commands received by every worker so far, and whether their notice is open.
    unsigned long UnknownCommands() const { return notice_.Received(); }
    bool NoticeOpen() const { return notice_.IsOpen(); }
    // Requests that every worker so far left unanswered, by reason.
    const RefusedRequests& Refused() const { return refused_; }
    // For the other services, which count their refusals here too.
    RefusedRequests& Refused() { return refused_; }

private:
    enum class Loading { NotBegun, Loaded, LoadFailed, StartFailed };
    Loading LoadSockets();
    void FinishLoading();

    const DriveRecord (&table_)[kMaxDrives];
    std::thread loader_;
    Loading loading_ = Loading::NotBegun;
    std::thread worker_;
    std::uint32_t workerPort_ = 0;
    Ws32StartupRecord startup_{};
    UnknownCommandNotice notice_;
    AccessRules rules_;
    RefusedRequests refused_;
    const VerdictBoard* verdicts_ = nullptr;
};
