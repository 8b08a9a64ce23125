#include "server_worker.h"

#include "message_box.h"
#include "query_protocol.h"
#include "request_dispatch.h"
#include "udpserver.h"
#include "unknown_command_notice.h"

#include <cstring>

namespace {
constexpr unsigned kBindFailedMessage = 11;
constexpr unsigned kWaitFailedMessage = 12;

std::uint32_t HostOrderAddress(const sockaddr_in& address)
{
    unsigned char octets[4];
    std::memcpy(octets, &address.sin_addr, sizeof octets);
    return (std::uint32_t{octets[0]} << 24) | (std::uint32_t{octets[1]} << 16) | (std::uint32_t{octets[2]} << 8) |
           octets[3];
}
} // namespace

void ServeQueries(std::uint32_t port, const DriveRecord (&table)[kMaxDrives], UnknownCommandNotice& notice,
                  AccessRules rules, RefusedRequests& refused, const VerdictBoard* verdicts)
{
    RequestGate gate(rules, refused);
    UDPSERVER server;
    if (server.Bind(port) != 0) {
        ShowMessage(MessageKind::Error, kBindFailedMessage);
        return;
    }
    server.SetWait(0);

    RequestReply reply;
    for (;;) {
        // The receive itself waits for the next datagram: a wait for readability before
        // every receive cost a second round trip through Wine's server per query. A
        // two-byte buffer (the one-byte commands and the verdict request): longer datagrams
        // fail the receive and are dropped, empty ones give -1 too.
        std::uint8_t datagram[kVerdictRequestBytes] = {};
        const int received = server.Receive(server.Socket(), reinterpret_cast<char*>(datagram),
                                             static_cast<int>(sizeof datagram));
        const std::uint8_t command = datagram[0];
        // Two bytes that are not the verdict request are no request at all: dropped before
        // the list, as longer datagrams are.
        if (received == static_cast<int>(kVerdictRequestBytes) && !IsVerdictRequest(datagram, kVerdictRequestBytes)) {
            continue;
        }
        if (received == kUdpFailed) {
            // Only then the wait, which tells a socket that failed from a datagram dropped.
            if (server.Wait() == kUdpFailed) {
                ShowMessage(MessageKind::Error, kWaitFailedMessage);
                break;
            }
            continue;
        }
        // The monitor stops its own worker from 127.0.0.1, whatever the list says.
        const bool fromLoopback = server.PeerIsLoopback();
        const bool stopFromHere = received == 1 && command == kStopCommand && fromLoopback;
        const std::uint32_t source = HostOrderAddress(server.PeerAddress());
        if (!stopFromHere && !gate.Admits(source)) {
            continue;
        }
        const RequestAction action = DispatchRequest(datagram, received, fromLoopback, table, reply, verdicts);
        if (action == RequestAction::Stop) {
            break;
        }
        if (action == RequestAction::Reply) {
            // An answer that cannot be sent is dropped; the client times out or waits.
            if (gate.MayAnswer(source, SteadyMilliseconds())) {
                server.Reply(server.Socket(), reinterpret_cast<const char*>(reply.bytes), reply.length);
            }
        } else if (action == RequestAction::UnknownCommand) {
            notice.Raise();
        }
    }
    server.Close();
}
