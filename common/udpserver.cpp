#include "udpserver.h"

#include "ws32_calls.h"

#include <cstring>

UDPSERVER::UDPSERVER() = default;

UDPSERVER::~UDPSERVER()
{
    Close();
}

int UDPSERVER::Bind(std::uint32_t port)
{
    Close();
    socket_ = ws32_socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (socket_ == kInvalidSocket) {
        socket_ = kNoSocket;
        return kUdpFailed;
    }
    localAddress_ = MakeIPv4Address(ws32_htonl(INADDR_ANY), port);
    if (ws32_bind(socket_, reinterpret_cast<const sockaddr*>(&localAddress_), sizeof localAddress_) != 0) {
        return kUdpOtherFailure;
    }
    return 0;
}

void UDPSERVER::SetWait(std::uint32_t milliseconds)
{
    wait_.Set(milliseconds);
}

int UDPSERVER::Wait()
{
    return WaitForDatagram(socket_, wait_, static_cast<int>(socket_));
}

int UDPSERVER::Receive(Ws32Socket socket, char* buffer, int length)
{
    peerAddressLength_ = sizeof peerAddress_;
    const int received = ws32_recvfrom(socket, buffer, length, 0, reinterpret_cast<sockaddr*>(&peerAddress_),
                                       &peerAddressLength_);
    return received > 0 ? received : kUdpFailed;
}

int UDPSERVER::Reply(Ws32Socket socket, const char* buffer, int length)
{
    const int sent = ws32_sendto(socket, buffer, length, 0, reinterpret_cast<const sockaddr*>(&peerAddress_),
                                 sizeof peerAddress_);
    return sent == length ? 0 : kUdpFailed;
}

void UDPSERVER::Close()
{
    CloseUdpSocket(socket_);
}

bool UDPSERVER::PeerIsLoopback() const
{
    // The address is in network byte order: its first byte is the first octet.
    unsigned char octets[4];
    std::memcpy(octets, &peerAddress_.sin_addr, sizeof octets);
    return peerAddress_.sin_family == AF_INET && octets[0] == 127;
}
