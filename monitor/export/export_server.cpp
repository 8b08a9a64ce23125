#include "export_server.h"

#include "ws32_calls.h"
#include "ws32_stream.h"

#include <cstring>
#include <memory>
#include <utility>

namespace {

constexpr int kBacklog = 64;
constexpr int kReceiveChunk = 4096;
constexpr int kAcceptRetryMs = 10;
// The most a blocking send may take on a new connection: any system's send buffer holds
// it, so the send cannot wait for the peer.
constexpr std::size_t kBlockingSendLimit = 8192;
constexpr int kRequestSpinUs = 1000;

// A connection to one's own listener, to wake its accept; the system completes it
// without the accept. Every interface is reached on loopback. kInvalidSocket if it
// cannot be made.
Ws32Socket ConnectToOwnListener(std::uint32_t address, std::uint16_t port)
{
    const Ws32Socket socket = ws32_socket(AF_INET, SOCK_STREAM, 0);
    if (socket == kInvalidSocket) {
        return kInvalidSocket;
    }
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = ws32_htons(port);
    target.sin_addr.s_addr = address == ws32_htonl(INADDR_ANY) ? ws32_htonl(INADDR_LOOPBACK) : address;
    if (ws32_connect(socket, reinterpret_cast<const sockaddr*>(&target), sizeof target) != 0) {
        ws32_closesocket(socket);
        return kInvalidSocket;
    }
    return socket;
}

// Whether a new connection's first bytes are there or come within moments: asking is
// cheap, where a wait for readability costs a round trip under Wine and can wake late.
bool RequestArrives(Ws32Socket socket)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::microseconds(kRequestSpinUs);
    for (;;) {
        const int waiting = Ws32BytesWaiting(socket);
        if (waiting != 0) {
            return waiting > 0;
        }
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        std::this_thread::yield();
    }
}

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

bool AdmitConnection(const sockaddr_in& peer, unsigned openConnections, RequestGate& gate, std::uint64_t nowMs)
{
    if (openConnections >= ExportServer::kMaxConnections) {
        return false;
    }
    unsigned char octets[4];
    std::memcpy(octets, &peer.sin_addr, sizeof octets);
    const std::uint32_t source = (std::uint32_t{octets[0]} << 24) | (std::uint32_t{octets[1]} << 16)
                                 | (std::uint32_t{octets[2]} << 8) | octets[3];
    return gate.Admits(source) && gate.MayAnswer(source, nowMs);
}

ExportServer::ExportServer(const SnapshotBoard& board, std::string version, RefusedRequests& refused)
    : answers_(board, std::move(version)), refused_(refused)
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
        CloseListeners();
        return opened;  // both off: nothing to run, and nothing failed
    }
    hddtempPort_ = hddtempListener_ != kInvalidSocket ? Ws32LocalPort(hddtempListener_) : 0;
    metricsPort_ = metricsListener_ != kInvalidSocket ? Ws32LocalPort(metricsListener_) : 0;
    stop_ = false;
    handedOver_.reserve(kMaxConnections);
    slowWorker_ = std::thread(&ExportServer::ServeSlowClients, this);
    if (hddtempListener_ != kInvalidSocket) {
        hddtempAcceptor_ = std::thread(&ExportServer::AcceptLoop, this, hddtempListener_, Service::Hddtemp);
    }
    if (metricsListener_ != kInvalidSocket) {
        metricsAcceptor_ = std::thread(&ExportServer::AcceptLoop, this, metricsListener_, Service::Metrics);
    }
    return true;
}

void ExportServer::Stop()
{
    if (!slowWorker_.joinable()) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(handOverMutex_);
        stop_ = true;
    }
    handedOverSignal_.notify_all();
    // An accept waits for a connection: give it one, then it sees the stop.
    struct Acceptor {
        std::thread* thread;
        Ws32Socket* listener;
        std::uint16_t port;
    };
    const Acceptor acceptors[] = {{&hddtempAcceptor_, &hddtempListener_, hddtempPort_},
                                  {&metricsAcceptor_, &metricsListener_, metricsPort_}};
    for (const Acceptor& acceptor : acceptors) {
        if (!acceptor.thread->joinable()) {
            continue;
        }
        const Ws32Socket waker = ConnectToOwnListener(config_.listenAddress, acceptor.port);
        if (waker == kInvalidSocket) {
            // Closing the listener ends a waiting accept on Windows, the last resort.
            ws32_closesocket(*acceptor.listener);
            *acceptor.listener = kInvalidSocket;
        }
        acceptor.thread->join();
        if (waker != kInvalidSocket) {
            ws32_closesocket(waker);
        }
    }
    slowWorker_.join();
    CloseListeners();
    // What was handed over after the serving thread's last look.
    for (Connection& connection : handedOver_) {
        Close(connection, false);
    }
    handedOver_.clear();
}

void ExportServer::CloseListeners()
{
    for (Ws32Socket* listener : {&hddtempListener_, &metricsListener_}) {
        if (*listener != kInvalidSocket) {
            ws32_closesocket(*listener);
            *listener = kInvalidSocket;
        }
    }
}

void ExportServer::AcceptLoop(Ws32Socket listener, Service service)
{
    // One gate per accepting thread: each service has its own rate per source.
    RequestGate gate(config_.access, refused_);
    while (!stop_) {
        sockaddr_in peer{};
        const Ws32Socket accepted = Ws32Accept(listener, peer);
        if (accepted == kInvalidSocket) {
            // A client gone before its accept, or no sockets left for now: try again
            // a little later rather than spin.
            std::this_thread::sleep_for(std::chrono::milliseconds(kAcceptRetryMs));
            continue;
        }
        if (stop_) {
            ws32_closesocket(accepted);  // the stop's own wake-up, or a late client
            break;
        }
        if (!AdmitConnection(peer, openConnections_, gate, SteadyMilliseconds())) {
            ws32_closesocket(accepted);
            ++dropped_;
            continue;
        }
        ++openConnections_;
        Connection connection;
        connection.socket = accepted;
        connection.service = service;
        connection.deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(config_.connectionTimeoutMs);
        if (!ServeAtOnce(connection)) {
            HandOver(std::move(connection));
        }
    }
}

bool ExportServer::ServeAtOnce(Connection& connection)
{
    // The accepted socket still blocks, which saves a call per connection (a round trip
    // under Wine) when the request is already there: its read cannot wait then, and a
    // small answer fits the fresh connection's empty send buffer.
    if (connection.service == Service::Hddtemp) {
        // hddtemp answers at once, without waiting for a request.
        connection.answer = answers_.Current().hddtemp;
        connection.sending = true;
    } else if (RequestArrives(connection.socket)) {
        Receive(connection);
        if (connection.socket == kInvalidSocket) {
            return true;
        }
    }
    if (!connection.sending || connection.answer->size() > kBlockingSendLimit) {
        if (!Ws32SetNonBlocking(connection.socket)) {
            Close(connection, false);
            return true;
        }
    }
    const auto quickEnd = std::chrono::steady_clock::now() + std::chrono::milliseconds(kQuickReadMs);
    while (!connection.sending) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(quickEnd - std::chrono::steady_clock::now());
        Ws32WaitEntry entry;
        entry.socket = connection.socket;
        entry.wantRead = true;
        if (left.count() <= 0 || Ws32WaitSockets(&entry, 1, static_cast<int>(left.count())) <= 0) {
            return false;
        }
        Receive(connection);
        if (connection.socket == kInvalidSocket) {
            return true;
        }
    }
    SendPending(connection);
    return connection.socket == kInvalidSocket;
}

void ExportServer::HandOver(Connection&& connection)
{
    {
        std::lock_guard<std::mutex> lock(handOverMutex_);
        handedOver_.push_back(std::move(connection));
    }
    handedOverSignal_.notify_one();
}

void ExportServer::TakeHandedOver()
{
    std::vector<Connection> taken;
    {
        std::lock_guard<std::mutex> lock(handOverMutex_);
        taken.swap(handedOver_);
        handedOver_.reserve(kMaxConnections);
    }
    for (Connection& connection : taken) {
        Connection* slot = nullptr;
        for (Connection& free : connections_) {
            if (free.socket == kInvalidSocket) {
                slot = &free;
                break;
            }
        }
        if (slot == nullptr) {  // cannot happen while admission counts right; refuse anyway
            Close(connection, false);
            continue;
        }
        *slot = std::move(connection);
    }
}

void ExportServer::ServeSlowClients()
{
    Ws32WaitEntry entries[kMaxWaitEntries];
    Connection* waited[kMaxWaitEntries] = {};
    while (!stop_) {
        TakeHandedOver();
        int count = 0;
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
        if (count == 0) {
            std::unique_lock<std::mutex> lock(handOverMutex_);
            handedOverSignal_.wait(lock, [this] { return stop_ || !handedOver_.empty(); });
            continue;
        }
        if (Ws32WaitSockets(entries, count, kWaitRoundMs) < 0) {
            // A socket went bad under the wait; the time-outs below clear it.
            std::this_thread::yield();
        }
        for (int i = 0; i < count; ++i) {
            Connection& connection = *waited[i];
            if (entries[i].readable && !connection.sending) {
                Receive(connection);
                if (connection.sending) {
                    SendPending(connection);
                }
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
    }
    for (Connection& connection : connections_) {
        if (connection.socket != kInvalidSocket) {
            Close(connection, false);
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
    const HttpAnswerPlan plan = PlanAnswer(connection.request, config_.web != nullptr);
    if (plan.sendWeb) {
        connection.answer = config_.web->Answer(connection.request.Path(), connection.request.Query(), plan.headOnly);
    } else if (plan.sendMetrics) {
        const PublishedAnswers answers = answers_.Current();
        connection.answer = plan.headOnly ? answers.metricsHead : answers.metrics;
    } else {
        connection.answer = std::make_shared<const std::string>(
            BuildHttpResponse(plan.status, "text/plain; charset=utf-8", ErrorBody(plan.status), plan.headOnly));
    }
    connection.sending = true;
}

void ExportServer::SendPending(Connection& connection)
{
    const std::string& answer = *connection.answer;
    while (connection.sent < answer.size()) {
        int sent = 0;
        const StreamResult result = Ws32Send(connection.socket, answer.data() + connection.sent,
            static_cast<int>(answer.size() - connection.sent), sent);
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
    connection.answer.reset();
    --openConnections_;
    if (answered) {
        ++answered_;
    } else {
        ++dropped_;
    }
}
