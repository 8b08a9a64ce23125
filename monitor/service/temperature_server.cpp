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
    FinishLoading();
    // A loading begun but never taken by StartUp or CleanUp is undone here.
    if (loading_ == Loading::Loaded) {
        Ws32EndSockets();
    }
    if (loading_ == Loading::Loaded || loading_ == Loading::StartFailed) {
        WS32LIB_UnloadDLL();
    }
    if (worker_.joinable()) {
        StopServer(workerPort_);
    }
    if (worker_.joinable()) {
        // The stop could not be sent; the process is ending and cannot wait for ever.
        worker_.detach();
    }
}

TemperatureServer::Loading TemperatureServer::LoadSockets()
{
    if (WS32LIB_LoadDLL() != 0) {
        return Loading::LoadFailed;
    }
    return Ws32StartSockets(startup_) == 0 ? Loading::Loaded : Loading::StartFailed;
}

void TemperatureServer::FinishLoading()
{
    if (loader_.joinable()) {
        loader_.join();
    }
}

void TemperatureServer::BeginStartUp()
{
    if (loader_.joinable() || loading_ != Loading::NotBegun) {
        return;
    }
    try {
        loader_ = std::thread([this] { loading_ = LoadSockets(); });
    } catch (const std::system_error&) {
        // No thread: StartUp loads the library itself.
    }
}

bool TemperatureServer::StartUp()
{
    FinishLoading();
    if (loading_ == Loading::NotBegun) {
        loading_ = LoadSockets();
    }
    // The messages come here, not from the loading thread, so they appear where they
    // always did among the start's steps.
    const Loading result = loading_;
    loading_ = Loading::NotBegun;  // a later StartUp loads again
    switch (result) {
    case Loading::LoadFailed:
        ShowMessage(MessageKind::Error, kLoadFailedMessage);
        return false;
    case Loading::StartFailed:
        ShowMessage(MessageKind::Error, kStartupFailedMessage);
        return false;
    default:
        return true;
    }
}

void TemperatureServer::CleanUp()
{
    FinishLoading();  // a loading begun but never collected by StartUp ends here too
    loading_ = Loading::NotBegun;
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
        worker_ = std::thread(ServeQueries, port, std::cref(table_), std::ref(notice_), rules_, std::ref(refused_),
                              verdicts_);
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
