// UDPSERVER: the server-side UDP socket. It binds to a port on every local interface,
// waits for datagrams and replies to the sender of the last one received.
#pragma once

#include "udp_common.h"
#include "ws32_types.h"

#include <cstdint>

class UDPSERVER {
public:
    UDPSERVER();
    UDPSERVER(const UDPSERVER&) = delete;
    UDPSERVER& operator=(const UDPSERVER&) = delete;
    virtual ~UDPSERVER();

    // 0 on success; kUdpFailed if no socket could be created; kUdpOtherFailure if the
    // bind failed (the socket then stays open until Close).
    int Bind(std::uint32_t port);
    void SetWait(std::uint32_t milliseconds);
    // The socket (>= 0) when readable; kUdpFailed when the wait failed, kUdpTimedOut when
    // the time ran out, kUdpOtherFailure otherwise.
    int Wait();
    // Byte count of one datagram, or kUdpFailed when the receive failed, gave 0 bytes or
    // the datagram did not fit the buffer.
    int Receive(Ws32Socket socket, char* buffer, int length);
    // 0 if the whole buffer went out in one datagram to the last sender, else kUdpFailed.
    int Reply(Ws32Socket socket, const char* buffer, int length);
    void Close();

    Ws32Socket Socket() const { return socket_; }
    const sockaddr_in& PeerAddress() const { return peerAddress_; }
    // True when the last datagram came from 127.0.0.0/8.
    bool PeerIsLoopback() const;

private:
    sockaddr_in localAddress_{};
    sockaddr_in peerAddress_{};
    int peerAddressLength_ = sizeof(sockaddr_in);
    Ws32Socket socket_ = kNoSocket;
    UdpWaitTime wait_;
};
