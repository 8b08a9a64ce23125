// The socket calls behind the binding. On Windows each one passes its arguments to the
// function resolved from WSOCK32.DLL; natively each maps onto the BSD socket call.
// None may be used unless WS32LIB_LoadDLL succeeded and the library is still loaded.
#pragma once

#include "ws32_types.h"

#include <cstdint>

int ws32_WSAFDIsSet(Ws32Socket socket, fd_set* set);
int ws32_WSAStartup(WORD versionRequested, Ws32StartupRecord* record);
int ws32_WSACleanup();
int ws32_bind(Ws32Socket socket, const sockaddr* name, int nameLength);
int ws32_closesocket(Ws32Socket socket);
hostent* ws32_gethostbyname(const char* name);
std::uint32_t ws32_htonl(std::uint32_t hostLong);
std::uint16_t ws32_htons(std::uint16_t hostShort);
std::uint32_t ws32_inet_addr(const char* text);
char* ws32_inet_ntoa(in_addr address);
int ws32_listen(Ws32Socket socket, int backlog);
int ws32_select(int count, fd_set* readSet, fd_set* writeSet, fd_set* exceptSet, timeval* timeout);
int ws32_sendto(Ws32Socket socket, const char* buffer, int length, int flags, const sockaddr* to, int toLength);
int ws32_shutdown(Ws32Socket socket, int how);
Ws32Socket ws32_socket(int family, int type, int protocol);
// A datagram longer than the buffer fails (-1) and is gone, on every platform.
int ws32_recvfrom(Ws32Socket socket, char* buffer, int length, int flags, sockaddr* from, int* fromLength);

// The stream calls of the TCP services (see ws32_stream.h for their use).
Ws32Socket ws32_accept(Ws32Socket socket, sockaddr* address, int* addressLength);
int ws32_connect(Ws32Socket socket, const sockaddr* name, int nameLength);
int ws32_recv(Ws32Socket socket, char* buffer, int length, int flags);
int ws32_send(Ws32Socket socket, const char* buffer, int length, int flags);
int ws32_getsockname(Ws32Socket socket, sockaddr* name, int* nameLength);
int ws32_ioctlsocket(Ws32Socket socket, long command, unsigned long* argument);
// The error of the last failed call on this thread (WSAGetLastError; errno natively).
int ws32_WSAGetLastError();

// Both directions, for ws32_shutdown (SD_BOTH on Windows, SHUT_RDWR natively).
constexpr int kShutdownBoth = 2;

enum class WaitResult { Readable, TimedOut, Failed, NotReady };

// Waits until the one socket is readable; seconds and microseconds both 0 wait without limit.
WaitResult Ws32WaitReadable(Ws32Socket socket, long seconds, long microseconds);

// The start-up record operations: Windows Sockets 1.1 start-up into the record, and its
// clean-up. 0 on success, -1 on failure.
int Ws32StartSockets(Ws32StartupRecord& record);
int Ws32EndSockets();
