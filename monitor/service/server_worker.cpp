#include "server_worker.h"

#include "message_box.h"
#include "request_dispatch.h"
#include "udpserver.h"
#include "unknown_command_notice.h"

namespace {
constexpr unsigned kBindFailedMessage = 11;
constexpr unsigned kWaitFailedMessage = 12;
} // namespace

void ServeQueries(std::uint32_t port, const DriveRecord (&table)[kMaxDrives], UnknownCommandNotice& notice)
{
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
        // one-byte buffer: longer datagrams fail the receive and are dropped, empty ones
        // give -1 too.
        std::uint8_t command = 0;
        const int received = server.Receive(server.Socket(), reinterpret_cast<char*>(&command), 1);
        if (received == kUdpFailed) {
            // Only then the wait, which tells a socket that failed from a datagram dropped.
            if (server.Wait() == kUdpFailed) {
                ShowMessage(MessageKind::Error, kWaitFailedMessage);
                break;
            }
            continue;
        }
        const RequestAction action = DispatchRequest(&command, received, server.PeerIsLoopback(), table, reply);
        if (action == RequestAction::Stop) {
            break;
        }
        if (action == RequestAction::Reply) {
            // An answer that cannot be sent is dropped; the client times out or waits.
            server.Reply(server.Socket(), reinterpret_cast<const char*>(reply.bytes), reply.length);
        } else if (action == RequestAction::UnknownCommand) {
            notice.Raise();
        }
    }
    server.Close();
}
