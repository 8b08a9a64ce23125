// The few socket operations of tempquery, on the platform's own socket library (linked
// directly: Windows Sockets 1.1 on Windows, the C library's sockets natively).
#pragma once

#include <cstdint>

using QuerySocket = std::intptr_t;
constexpr QuerySocket kNoQuerySocket = -1;

// Standard output and standard error carry the same bytes on every platform (no CR
// added before LF).
void PrepareOutput();

bool StartSockets();
bool EndSockets();

// A UDP/IPv4 datagram socket, or kNoQuerySocket.
QuerySocket OpenDatagramSocket();
void CloseDatagramSocket(QuerySocket socket);

// Bytes sent, or -1.
int SendDatagram(QuerySocket socket, const std::uint8_t (&octets)[4], std::uint16_t port,
                 const std::uint8_t* data, int length);

// Waits without limit for one datagram from any sender. Bytes received (0 for an empty
// datagram), or -1 on failure, including a datagram longer than the buffer.
int ReceiveDatagram(QuerySocket socket, std::uint8_t* buffer, int length);
