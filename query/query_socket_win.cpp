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

QuerySocket OpenDatagramSocket()
{
    const SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    return s == INVALID_SOCKET ? kNoQuerySocket : static_cast<QuerySocket>(s);
}

void CloseDatagramSocket(QuerySocket socket)
{
    closesocket(static_cast<SOCKET>(socket));
}

int SendDatagram(QuerySocket socket, const std::uint8_t (&octets)[4], std::uint16_t port, const std::uint8_t* data,
                 int length)
{
    sockaddr_in target;
    std::memset(&target, 0, sizeof target);
    target.sin_family = AF_INET;
    target.sin_port = htons(port);
    std::memcpy(&target.sin_addr, octets, sizeof octets);
    return sendto(static_cast<SOCKET>(socket), reinterpret_cast<const char*>(data), length, 0,
                  reinterpret_cast<const sockaddr*>(&target), sizeof target);
}

int ReceiveDatagram(QuerySocket socket, std::uint8_t* buffer, int length)
{
    sockaddr_in sender;
    int senderLength = sizeof sender;
    const int received = recvfrom(static_cast<SOCKET>(socket), reinterpret_cast<char*>(buffer), length, 0,
                                  reinterpret_cast<sockaddr*>(&sender), &senderLength);
    return received == SOCKET_ERROR ? -1 : received;
}
