// Pieces shared by the two UDP socket classes: result codes, wait time, addresses.
#pragma once

#include "ws32_types.h"

#include <cstdint>

// Result codes of the socket classes.
constexpr int kUdpFailed = -1;
constexpr int kUdpOtherFailure = -2;
constexpr int kUdpTimedOut = -10;
constexpr int kUdpClientReadable = -12;

struct UdpWaitTime {
    long seconds = 1;
    long microseconds = 0;

    // 0 milliseconds waits without limit.
    void Set(std::uint32_t milliseconds)
    {
        seconds = static_cast<long>(milliseconds / 1000);
        microseconds = static_cast<long>((milliseconds % 1000) * 1000);
    }
};

// IPv4 socket address with the port in network byte order and the rest zero.
sockaddr_in MakeIPv4Address(std::uint32_t addressNetworkOrder, std::uint32_t port);

// Waits until the socket is readable for at most `wait` and gives the classes' result:
// `readable` when it is, -1 when the wait failed, -10 on time-out, -2 otherwise.
int WaitForDatagram(Ws32Socket socket, const UdpWaitTime& wait, int readable);

// Shuts a socket down in both directions and closes it; leaves kNoSocket behind.
void CloseUdpSocket(Ws32Socket& socket);
