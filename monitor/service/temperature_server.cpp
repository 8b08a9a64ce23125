#include "temperature_server.h"

#include "message_box.h"
#include "query_protocol.h"
#include "server_worker.h"
#include "udpclient.h"
#include "ws32_calls.h"
#include "ws32lib.h"

#include <system_error>

namespace {
constexpr unsigned kThreadFailedMessage = 8;
constexpr unsigned kLoadFailedMessage = 9;
constexpr unsigned kStartupFailedMessage = 10;
constexpr unsigned kClientOpenFailedMessage = 13;
constexpr unsigned kClientSendFailedMessage = 14;
} // namespace

TemperatureServer::TemperatureServer(const DriveRecord (&table)[kMaxDrives]) : table_(table) {}

TemperatureServer::~TemperatureServer()
{
    if (worker_.joinable()) {
        StopServer(workerPort_);
    }
    if (worker_.joinable()) {
        // The stop could not be sent; the process is ending and cannot wait for ever.
        worker_.detach();
    }
}

bool TemperatureServer::StartUp()
{
    if (WS32LIB_LoadDLL() != 0) {
        ShowMessage(MessageKind::Error, kLoadFailedMessage);
        return false;
    }
    if (Ws32StartSockets(startup_) != 0) {
        ShowMessage(MessageKind::Error, kStartupFailedMessage);
        return false;
    }
    return true;
}

void TemperatureServer::CleanUp()
{
    if (WS32LIB_IsLoadDLL()) {
        Ws32EndSockets();
        WS32LIB_UnloadDLL();
    }
}

bool TemperatureServer::StartServer(std::uint32_t port)
{
    if (worker_.joinable()) {
        return false;
    }
    try {
        worker_ = std::thread(ServeQueries, port, std::cref(table_), std::ref(notice_));
    } catch (const std::system_error&) {
        ShowMessage(MessageKind::Error, kThreadFailedMessage);
        return false;
    }
    workerPort_ = port;
    return true;
}

void TemperatureServer::StopServer(std::uint32_t port)
{
    if (!worker_.joinable()) {
        return;
    }
    UDPCLIENT client;
    if (client.Open("127.0.0.1", port) != 0) {
        ShowMessage(MessageKind::Error, kClientOpenFailedMessage);
        return;
    }
    const char stop = static_cast<char>(kStopCommand);
    if (client.Send(&stop, 1) != 0) {
        ShowMessage(MessageKind::Error, kClientSendFailedMessage);
        client.Close();
        return;
    }
    // Also when the worker already ended by itself: the join then returns at once.
    worker_.join();
    client.Close();
}
