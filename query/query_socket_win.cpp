#include "query_socket.h"

// One wait watches every host in flight; Windows Sockets sizes fd_set by FD_SETSIZE.
#define FD_SETSIZE 256
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

static_assert(FD_SETSIZE >= kMostWaitedSockets, "one select watches every socket in flight");

QuerySocket OpenDatagramSocket(const QueryAddress& address)
{
    if (address.ipv6) {
        return kNoQuerySocket;
    }
    const SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) {
        return kNoQuerySocket;
    }
    u_long nonBlocking = 1;
    if (ioctlsocket(s, FIONBIO, &nonBlocking) != 0) {
        closesocket(s);
        return kNoQuerySocket;
    }
    return static_cast<QuerySocket>(s);
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
    const int sent = sendto(static_cast<SOCKET>(socket), reinterpret_cast<const char*>(data), length, 0,
                            reinterpret_cast<const sockaddr*>(&target), sizeof target);
    if (sent != SOCKET_ERROR) {
        return sent;
    }
    switch (WSAGetLastError()) {
    case WSAECONNRESET:
        return kRefused;
    case WSAEWOULDBLOCK:
    case WSAENOBUFS:
    case WSAEHOSTUNREACH:
    case WSAENETUNREACH:
        return kNoDatagram;
    default:
        return -1;
    }
}

int WaitForDatagrams(const QuerySocket* sockets, int count, int milliseconds, bool* ready)
{
    if (count < 0 || count > kMostWaitedSockets) {
        return -1;
    }
    fd_set readable;
    FD_ZERO(&readable);
    for (int i = 0; i < count; ++i) {
        FD_SET(static_cast<SOCKET>(sockets[i]), &readable);
    }
    timeval limit;
    limit.tv_sec = milliseconds / 1000;
    limit.tv_usec = (milliseconds % 1000) * 1000;
    int found = 0;
    if (count == 0) {
        // select refuses empty sets: only the time passes.
        Sleep(milliseconds < 0 ? 0 : static_cast<DWORD>(milliseconds));
    } else {
        found = select(0, &readable, nullptr, nullptr, milliseconds < 0 ? nullptr : &limit);
        if (found == SOCKET_ERROR) {
            return -1;
        }
    }
    for (int i = 0; i < count; ++i) {
        ready[i] = FD_ISSET(static_cast<SOCKET>(sockets[i]), &readable) != 0;
    }
    return found;
}

int ReceiveDatagram(QuerySocket socket, std::uint8_t* buffer, int length, DatagramSource& source)
{
    // Received with a byte more room than asked: a longer datagram shows in its length, not
    // only in WSAEMSGSIZE, which Wine at times leaves out for a datagram cut to the buffer
    // (a report one byte too long then read as a whole report of no drives).
    constexpr int kLargestAsked = 4096;
    char room[kLargestAsked + 1];
    const bool spare = length >= 0 && length <= kLargestAsked;
    sockaddr_in sender;
    std::memset(&sender, 0, sizeof sender);
    int senderLength = sizeof sender;
    const int received = recvfrom(static_cast<SOCKET>(socket), spare ? room : reinterpret_cast<char*>(buffer),
                                  spare ? length + 1 : length, 0, reinterpret_cast<sockaddr*>(&sender), &senderLength);
    source = DatagramSource();
    std::memcpy(source.address.bytes, &sender.sin_addr, 4);
    source.port = ntohs(sender.sin_port);
    if (received != SOCKET_ERROR) {
        if (!spare) {
            return received;
        }
        if (received > length) {
            return kTooLong;
        }
        std::memcpy(buffer, room, static_cast<std::size_t>(received));
        return received;
    }
    switch (WSAGetLastError()) {
    case WSAEMSGSIZE:  // cut to the buffer; the sender is filled in
        return kTooLong;
    // An unconnected Windows socket reports the host's "port unreachable" on the next
    // receive. Wine 8 passes no such report on (tried: unconnected and connected sockets):
    // there a refusing host reads as silent.
    case WSAECONNRESET:
        return kRefused;
    case WSAEWOULDBLOCK:
    case WSAEHOSTUNREACH:
    case WSAENETUNREACH:
        return kNoDatagram;
    default:
        return -1;
    }
}
