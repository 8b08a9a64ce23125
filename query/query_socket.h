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

// A non-blocking UDP datagram socket of the address's family that also learns when a host
// refuses a datagram (nobody listens on the port), or kNoQuerySocket.
QuerySocket OpenDatagramSocket(const QueryAddress& address);
void CloseDatagramSocket(QuerySocket socket);

constexpr int kRefused = -2;     // the host told us no one listens on the port
constexpr int kNoDatagram = -3;  // nothing there after all, or a datagram lost on the way out

// Bytes sent; kRefused when the host refused an earlier datagram (nothing was sent);
// kNoDatagram when the system dropped it (full buffers: as if lost on the way); -1 on
// any other failure.
int SendDatagram(QuerySocket socket, const QueryAddress& address, std::uint16_t port, const std::uint8_t* data,
                 int length);

// The most sockets one wait may watch.
constexpr int kMostWaitedSockets = 256;

// Waits up to milliseconds (negative: without limit) until a datagram or a refusal waits
// on any of the count sockets; ready[i] says which. The number ready, 0 when the time ran
// out, or -1 on failure.
int WaitForDatagrams(const QuerySocket* sockets, int count, int milliseconds, bool* ready);

constexpr int kTooLong = -4;  // a datagram longer than the buffer (its sender is known)

// Where a datagram came from.
struct DatagramSource {
    QueryAddress address;
    std::uint16_t port = 0;
};

// Receives one datagram from any sender, and tells the sender: bytes received (0 for an
// empty datagram), kTooLong for a datagram longer than the buffer, kRefused when an
// earlier send was refused by the host, kNoDatagram when nothing is there (or only a
// network error that the host's silence will tell), or -1 on any other failure.
int ReceiveDatagram(QuerySocket socket, std::uint8_t* buffer, int length, DatagramSource& source);
