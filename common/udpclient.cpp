#include "udpclient.h"

#include "ws32_calls.h"

#include <cstring>

UDPCLIENT::UDPCLIENT() = default;

UDPCLIENT::~UDPCLIENT()
{
    Close();
}

int UDPCLIENT::Open(const char* host, std::uint32_t port)
{
    const hostent* entry = ws32_gethostbyname(host);
    if (entry == nullptr || entry->h_addrtype != AF_INET || entry->h_length != 4 ||
        entry->h_addr_list[0] == nullptr) {
        return kUdpFailed;
    }
    // The last address of the list wins; its dotted text is taken while the host entry,
    // which belongs to the sockets library, is still valid.
    char dotted[16] = {};
    for (char* const* item = entry->h_addr_list; *item != nullptr; ++item) {
        in_addr address;
        std::memcpy(&address, *item, sizeof address);
        const char* text = ws32_inet_ntoa(address);
        if (text == nullptr) {
            return kUdpFailed;
        }
        std::strncpy(dotted, text, sizeof dotted - 1);
    }
    return Create(ws32_inet_addr(dotted), port);
}

int UDPCLIENT::Create(std::uint32_t addressNetworkOrder, std::uint32_t port)
{
    Close();
    targetAddress_ = MakeIPv4Address(addressNetworkOrder, port);
    socket_ = ws32_socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (socket_ == kInvalidSocket) {
        socket_ = kNoSocket;
        return kUdpFailed;
    }
    return 0;
}

int UDPCLIENT::Send(const char* buffer, int length)
{
    const int sent = ws32_sendto(socket_, buffer, length, 0, reinterpret_cast<const sockaddr*>(&targetAddress_),
                                 addressLength_);
    return sent == length ? 0 : kUdpFailed;
}

void UDPCLIENT::SetWait(std::uint32_t milliseconds)
{
    wait_.Set(milliseconds);
}

int UDPCLIENT::Wait()
{
    return WaitForDatagram(socket_, wait_, kUdpClientReadable);
}

int UDPCLIENT::Receive(char* buffer, int length)
{
    addressLength_ = sizeof peerAddress_;
    const int received =
        ws32_recvfrom(socket_, buffer, length, 0, reinterpret_cast<sockaddr*>(&peerAddress_), &addressLength_);
    addressLength_ = sizeof targetAddress_;
    return received > 0 ? received : kUdpFailed;
}

void UDPCLIENT::Close()
{
    CloseUdpSocket(socket_);
}
