#include "query_socket.h"

#include <arpa/inet.h>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

void PrepareOutput() {}

bool StartSockets()
{
    return true;
}

bool EndSockets()
{
    return true;
}

QuerySocket OpenDatagramSocket()
{
    const int s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    return s < 0 ? kNoQuerySocket : s;
}

void CloseDatagramSocket(QuerySocket socket)
{
    ::close(static_cast<int>(socket));
}

int SendDatagram(QuerySocket socket, const std::uint8_t (&octets)[4], std::uint16_t port, const std::uint8_t* data,
                 int length)
{
    sockaddr_in target;
    std::memset(&target, 0, sizeof target);
    target.sin_family = AF_INET;
    target.sin_port = htons(port);
    std::memcpy(&target.sin_addr, octets, sizeof octets);
    return static_cast<int>(::sendto(static_cast<int>(socket), data, static_cast<size_t>(length), 0,
                                     reinterpret_cast<const sockaddr*>(&target), sizeof target));
}

int ReceiveDatagram(QuerySocket socket, std::uint8_t* buffer, int length)
{
    // MSG_TRUNC gives the datagram's real length: one that does not fit fails, as the
    // Windows receive does, instead of arriving cut short.
    sockaddr_in sender;
    socklen_t senderLength = sizeof sender;
    const ssize_t received = ::recvfrom(static_cast<int>(socket), buffer, static_cast<size_t>(length), MSG_TRUNC,
                                        reinterpret_cast<sockaddr*>(&sender), &senderLength);
    return received < 0 || received > length ? -1 : static_cast<int>(received);
}
