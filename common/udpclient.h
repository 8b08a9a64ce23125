// UDPCLIENT: the client-side UDP socket. It sends to one target address and receives
// from any sender.
#pragma once

#include "udp_common.h"
#include "ws32_types.h"

#include <cstdint>

class UDPCLIENT {
public:
    UDPCLIENT();
    UDPCLIENT(const UDPCLIENT&) = delete;
    UDPCLIENT& operator=(const UDPCLIENT&) = delete;
    virtual ~UDPCLIENT();

    // Looks the host up (a dotted IPv4 text resolves too) and creates the socket for the
    // last address it lists. 0 on success, kUdpFailed otherwise.
    int Open(const char* host, std::uint32_t port);
    // Target = address (network byte order) and port; creates the socket. 0 or kUdpFailed.
    int Create(std::uint32_t addressNetworkOrder, std::uint32_t port);
    // 0 if the whole buffer went out in one datagram, else kUdpFailed.
    int Send(const char* buffer, int length);
    void SetWait(std::uint32_t milliseconds);
    // kUdpClientReadable when readable; otherwise as UDPSERVER::Wait.
    int Wait();
    // Byte count of one datagram from any sender, or kUdpFailed when the receive failed,
    // gave 0 bytes or the datagram did not fit the buffer.
    int Receive(char* buffer, int length);
    void Close();

    const sockaddr_in& PeerAddress() const { return peerAddress_; }

private:
    sockaddr_in targetAddress_{};
    sockaddr_in peerAddress_{};
    int addressLength_ = sizeof(sockaddr_in);
    Ws32Socket socket_ = kNoSocket;
    UdpWaitTime wait_;
};
