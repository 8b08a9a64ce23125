// The stream-socket calls of the binding, for the TCP services: accepting, reading and
// writing without blocking, and waiting on many sockets at once. Like ws32_calls.h,
// none may be used unless WS32LIB_LoadDLL succeeded and the library is still loaded.
#pragma once

#include "ws32_types.h"

#include <cstdint>

// A listening TCP socket on address:port (address in network order; INADDR_ANY for
// every interface), whose accept blocks. kInvalidSocket when it cannot be made, bound or
// listen.
Ws32Socket Ws32OpenListener(std::uint32_t address, std::uint16_t port, int backlog);
// The port a bound socket has (for a listener opened on port 0), 0 on failure.
std::uint16_t Ws32LocalPort(Ws32Socket socket);

// Waits for the next connection; kInvalidSocket when the accept failed. The accepted
// socket blocks until Ws32SetNonBlocking. The peer's address lands in `peer`.
Ws32Socket Ws32Accept(Ws32Socket listener, sockaddr_in& peer);
// Turns a socket's blocking off; false on failure.
bool Ws32SetNonBlocking(Ws32Socket socket);
// The bytes a read would return now, -1 on failure.
int Ws32BytesWaiting(Ws32Socket socket);

// What a read or write of a non-blocking socket did.
enum class StreamResult { Done, WouldBlock, Closed, Failed };
// Reads up to `capacity` bytes; `count` is what arrived (Done), Closed at the peer's end.
StreamResult Ws32Receive(Ws32Socket socket, char* buffer, int capacity, int& count);
// Writes what the socket takes now; `count` is what went (Done). A peer that has gone
// gives Failed, never a signal.
StreamResult Ws32Send(Ws32Socket socket, const char* buffer, int length, int& count);

// One socket to wait for: what is wanted in, what is ready out.
struct Ws32WaitEntry {
    Ws32Socket socket = kInvalidSocket;
    bool wantRead = false;
    bool wantWrite = false;
    bool readable = false;
    bool writable = false;  // also set when the socket failed, so its next call says so
};
// The most entries one wait takes (Windows' fd_set holds 64 sockets).
constexpr int kMaxWaitEntries = 60;
// Waits up to `milliseconds` until one entry is ready; the number ready, 0 on time-out,
// -1 on failure. At most kMaxWaitEntries entries.
int Ws32WaitSockets(Ws32WaitEntry* entries, int count, int milliseconds);

// Connects a new TCP socket to address:port (both in network order) within `milliseconds`;
// the socket it returns does not block. kInvalidSocket when the connection was refused,
// failed or timed out; `timedOut` tells which.
Ws32Socket Ws32ConnectStream(std::uint32_t address, std::uint16_t port, int milliseconds, bool& timedOut);
