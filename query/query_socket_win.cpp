#include "query_socket.h"

#include <windows.h>
#include <winsock.h>

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <io.h>

namespace {
WSADATA g_startup;
}

void PrepareOutput()
{
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

bool StartSockets()
{
    return WSAStartup(MAKEWORD(1, 1), &g_startup) == 0;
}

bool EndSockets()
{
    return WSACleanup() == 0;
}

// Windows Sockets 1.1 resolves IPv4 only.
bool LookUpHost(const char* name, QueryAddress& address)
{
    const hostent* host = gethostbyname(name);
    if (host == nullptr || host->h_addrtype != AF_INET || host->h_length != 4 || host->h_addr_list[0] == nullptr) {
        return false;
    }
    address = QueryAddress();
    std::memcpy(address.bytes, host->h_addr_list[0], 4);
    return true;
}

QuerySocket OpenDatagramSocket(const QueryAddress& address)
{
    if (address.ipv6) {
        return kNoQuerySocket;
    }
    const SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    return s == INVALID_SOCKET ? kNoQuerySocket : static_cast<QuerySocket>(s);
}

void CloseDatagramSocket(QuerySocket socket)
{
    closesocket(static_cast<SOCKET>(socket));
}

int SendDatagram(QuerySocket socket, const QueryAddress& address, std::uint16_t port, const std::uint8_t* data,
                 int length)
{
    sockaddr_in target;
    std::memset(&target, 0, sizeof target);
    target.sin_family = AF_INET;
    target.sin_port = htons(port);
    std::memcpy(&target.sin_addr, address.bytes, 4);
    return sendto(static_cast<SOCKET>(socket), reinterpret_cast<const char*>(data), length, 0,
                  reinterpret_cast<const sockaddr*>(&target), sizeof target);
}

int WaitForDatagram(QuerySocket socket, int milliseconds)
{
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(static_cast<SOCKET>(socket), &readable);
    timeval limit;
    limit.tv_sec = milliseconds / 1000;
    limit.tv_usec = (milliseconds % 1000) * 1000;
    const int ready = select(0, &readable, nullptr, nullptr, milliseconds < 0 ? nullptr : &limit);
    if (ready == SOCKET_ERROR) {
        return -1;
    }
    return ready > 0 ? kDatagramWaiting : kNothingArrived;
}

int ReceiveDatagram(QuerySocket socket, std::uint8_t* buffer, int length)
{
    sockaddr_in sender;
    int senderLength = sizeof sender;
    const int received = recvfrom(static_cast<SOCKET>(socket), reinterpret_cast<char*>(buffer), length, 0,
                                  reinterpret_cast<sockaddr*>(&sender), &senderLength);
    // An unconnected Windows socket reports the host's "port unreachable" on the next
    // receive; Linux does not, and simply sees no answer.
    if (received == SOCKET_ERROR && WSAGetLastError() == WSAECONNRESET) {
        return kRefused;
    }
    return received == SOCKET_ERROR ? -1 : received;
}
