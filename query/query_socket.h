// The few socket operations of tempquery, on the platform's own socket library (linked
// directly: Windows Sockets 1.1 on Windows, the C library's sockets natively).
#pragma once

#include <cstdint>

using QuerySocket = std::intptr_t;
constexpr QuerySocket kNoQuerySocket = -1;

struct QueryAddress {
    bool ipv6 = false;
    std::uint8_t bytes[16] = {};  // the first 4 for IPv4, network order
};

// Standard output and standard error carry the same bytes on every platform (no CR
// added before LF).
void PrepareOutput();

bool StartSockets();
bool EndSockets();

// The address the platform's resolver gives for a host name: its first IPv4 address, or
// where the resolver offers IPv6 and the name has no IPv4 address, its first IPv6 one.
// Needs StartSockets. False when the name is not found.
bool LookUpHost(const char* name, QueryAddress& address);

// A UDP datagram socket of the address's family, or kNoQuerySocket.
QuerySocket OpenDatagramSocket(const QueryAddress& address);
void CloseDatagramSocket(QuerySocket socket);

// Bytes sent, or -1.
int SendDatagram(QuerySocket socket, const QueryAddress& address, std::uint16_t port, const std::uint8_t* data,
                 int length);

constexpr int kDatagramWaiting = 1;
constexpr int kNothingArrived = 0;
constexpr int kRefused = -2;  // the host told us no one listens on the port

// Waits up to milliseconds (negative: without limit) for a datagram: kDatagramWaiting,
// kNothingArrived, or -1 on failure.
int WaitForDatagram(QuerySocket socket, int milliseconds);

// Receives one datagram from any sender. Bytes received (0 for an empty datagram),
// kRefused when an earlier send was refused by the host, or -1 on any other failure,
// including a datagram longer than the buffer.
int ReceiveDatagram(QuerySocket socket, std::uint8_t* buffer, int length);
