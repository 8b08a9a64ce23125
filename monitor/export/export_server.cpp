#include "export_server.h"

#include "hddtemp_text.h"
#include "metrics_text.h"
#include "ws32_calls.h"
#include "ws32_stream.h"

#include <cstring>

namespace {

constexpr int kBacklog = 64;
// New connections taken per listener in one round, so a flood cannot starve the others.
constexpr int kAcceptsPerRound = 16;
constexpr int kReceiveChunk = 4096;

}  // namespace

bool ParseListenAddress(const char* text, std::uint32_t& address)
{
    if (text == nullptr || text[0] == '\0') {
        address = ws32_htonl(INADDR_ANY);
        return true;
    }
    // Four decimal parts of at most three digits, each up to 255.
    unsigned parts[4] = {};
    int part = 0;
    int digits = 0;
    for (const char* c = text;; ++c) {
        if (*c >= '0' && *c <= '9') {
            parts[part] = parts[part] * 10 + static_cast<unsigned>(*c - '0');
            if (++digits > 3 || parts[part] > 255) {
                return false;
            }
        } else if ((*c == '.' || *c == '\0') && digits > 0) {
            if (*c == '\0') {
                break;
            }
            if (++part > 3) {
                return false;
            }
            digits = 0;
        } else {
            return false;
        }
    }
    if (part != 3) {
        return false;
    }
    address = ws32_htonl(parts[0] << 24 | parts[1] << 16 | parts[2] << 8 | parts[3]);
    return true;
}

bool AdmitConnection(const sockaddr_in& peer, unsigned openConnections)
{
    // Every peer may connect for now; only the number of open connections is bounded.
    static_cast<void>(peer);
    return openConnections < ExportServer::kMaxConnections;
}

ExportServer::ExportServer(const SnapshotBoard& board, std::string version)
    : board_(board), version_(std::move(version))
{
}

ExportServer::~ExportServer()
{
    Stop();
}

bool ExportServer::Start(const ExportConfig& config)
{
    if (Running()) {
        return false;
    }
    config_ = config;
    if (config.hddtempPort != 0) {
        hddtempListener_ = Ws32OpenListener(config.listenAddress, config.hddtempPort, kBacklog);
    }
    if (config.metricsPort != 0) {
        metricsListener_ = Ws32OpenListener(config.listenAddress, config.metricsPort, kBacklog);
    }
    const bool opened = (config.hddtempPort == 0 || hddtempListener_ != kInvalidSocket)
                        && (config.metricsPort == 0 || metricsListener_ != kInvalidSocket);
    if (!opened || (config.hddtempPort == 0 && config.metricsPort == 0)) {
        for (Ws32Socket* listener : {&hddtempListener_, &metricsListener_}) {
            if (*listener != kInvalidSocket) {
                ws32_closesocket(*listener);
                *listener = kInvalidSocket;
            }
        }
        return opened;  // both off: nothing to run, and nothing failed
    }
    hddtempPort_ = hddtempListener_ != kInvalidSocket ? Ws32LocalPort(hddtempListener_) : 0;
    metricsPort_ = metricsListener_ != kInvalidSocket ? Ws32LocalPort(metricsListener_) : 0;
    stop_ = false;
    worker_ = std::thread(&ExportServer::Run, this);
    return true;
}

void ExportServer::Stop()
{
    if (!worker_.joinable()) {
        return;
    }
    stop_ = true;
    worker_.join();
}

void ExportServer::Run()
{
    Ws32WaitEntry entries[kMaxWaitEntries];
    Connection* waited[kMaxWaitEntries] = {};
    while (!stop_) {
        int count = 0;
        for (Ws32Socket listener : {hddtempListener_, metricsListener_}) {
            if (listener != kInvalidSocket) {
                waited[count] = nullptr;
                entries[count] = Ws32WaitEntry{};
                entries[count].socket = listener;
                entries[count].wantRead = true;
                ++count;
            }
        }
        const int listeners = count;
        for (Connection& connection : connections_) {
            if (connection.socket == kInvalidSocket) {
                continue;
            }
            waited[count] = &connection;
            entries[count] = Ws32WaitEntry{};
            entries[count].socket = connection.socket;
            entries[count].wantRead = !connection.sending;
            entries[count].wantWrite = connection.sending;
            ++count;
        }
        const int round = std::chrono::steady_clock::now() < busyUntil_ ? kBusyWaitRoundMs : kWaitRoundMs;
        if (Ws32WaitSockets(entries, count, round) < 0) {
            // A socket went bad under the wait; the time-outs below clear it.
            std::this_thread::yield();
        }
        for (int i = listeners; i < count; ++i) {
            Connection& connection = *waited[i];
            if (entries[i].readable && !connection.sending) {
                Receive(connection);
            } else if (entries[i].writable && connection.sending) {
                SendPending(connection);
            }
        }
        const auto now = std::chrono::steady_clock::now();
        for (Connection& connection : connections_) {
            if (connection.socket != kInvalidSocket && now >= connection.deadline) {
                Close(connection, false);
            }
        }
        for (int i = 0; i < listeners; ++i) {
            if (entries[i].readable) {
                AcceptWaiting(entries[i].socket,
                    entries[i].socket == hddtempListener_ ? Service::Hddtemp : Service::Metrics);
            }
        }
    }
    for (Connection& connection : connections_) {
        if (connection.socket != kInvalidSocket) {
            Close(connection, false);
        }
    }
    for (Ws32Socket* listener : {&hddtempListener_, &metricsListener_}) {
        if (*listener != kInvalidSocket) {
            ws32_closesocket(*listener);
            *listener = kInvalidSocket;
        }
    }
}

void ExportServer::AcceptWaiting(Ws32Socket listener, Service service)
{
    for (int taken = 0; taken < kAcceptsPerRound; ++taken) {
        sockaddr_in peer{};
        const Ws32Socket accepted = Ws32Accept(listener, peer);
        if (accepted == kInvalidSocket) {
            return;
        }
        busyUntil_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(kBusyMs);
        if (!AdmitConnection(peer, openConnections_)) {
            ws32_closesocket(accepted);
            ++dropped_;
            continue;
        }
        Connection* slot = nullptr;
        for (Connection& connection : connections_) {
            if (connection.socket == kInvalidSocket) {
                slot = &connection;
                break;
            }
        }
        if (slot == nullptr) {  // cannot happen while admission counts right; refuse anyway
            ws32_closesocket(accepted);
            ++dropped_;
            continue;
        }
        ++openConnections_;
        slot->socket = accepted;
        slot->service = service;
        slot->deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(config_.connectionTimeoutMs);
        slot->request = HttpRequestReader();
        slot->sent = 0;
        slot->sending = service == Service::Hddtemp;
        if (slot->sending) {
            // hddtemp answers at once, without waiting for a request.
            slot->answer = BuildHddtempAnswer(board_.Copy());
            SendPending(*slot);
        } else {
            slot->answer.clear();
            // The request usually follows the connection at once: read it now rather
            // than a wait round later.
            Receive(*slot);
        }
    }
}

void ExportServer::Receive(Connection& connection)
{
    char buffer[kReceiveChunk];
    int received = 0;
    const StreamResult result = Ws32Receive(connection.socket, buffer, sizeof buffer, received);
    if (result == StreamResult::WouldBlock) {
        return;
    }
    if (result != StreamResult::Done) {
        Close(connection, false);  // the peer went before its request was complete
        return;
    }
    if (connection.request.Feed(buffer, static_cast<std::size_t>(received)) == HttpReadState::Incomplete) {
        return;
    }
    const HttpAnswerPlan plan = PlanAnswer(connection.request);
    if (plan.sendMetrics) {
        connection.answer = BuildHttpResponse(plan.status, kMetricsContentType,
            BuildMetricsText(board_.Copy(), version_.c_str()), plan.headOnly);
    } else {
        connection.answer = BuildHttpResponse(plan.status, "text/plain; charset=utf-8", ErrorBody(plan.status),
            plan.headOnly);
    }
    connection.sending = true;
    SendPending(connection);
}

void ExportServer::SendPending(Connection& connection)
{
    while (connection.sent < connection.answer.size()) {
        int sent = 0;
        const StreamResult result = Ws32Send(connection.socket, connection.answer.data() + connection.sent,
            static_cast<int>(connection.answer.size() - connection.sent), sent);
        if (result == StreamResult::WouldBlock) {
            return;
        }
        if (result != StreamResult::Done) {
            Close(connection, false);  // the peer went mid-answer
            return;
        }
        connection.sent += static_cast<std::size_t>(sent);
    }
    Close(connection, true);
}

void ExportServer::Close(Connection& connection, bool answered)
{
    ws32_closesocket(connection.socket);
    connection.socket = kInvalidSocket;
    connection.sending = false;
    connection.answer.clear();
    --openConnections_;
    if (answered) {
        ++answered_;
    } else {
        ++dropped_;
    }
}
