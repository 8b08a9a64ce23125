#include "query_socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

void PrepareOutput() {}

bool StartSockets()
{
    return true;
}

bool EndSockets()
{
    return true;
}

bool LookUpHost(const char* name, QueryAddress& address)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(name, nullptr, &hints, &found) != 0) {
        return false;
    }
    const addrinfo* chosen = nullptr;
    for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
        if (entry->ai_family == AF_INET) {
            chosen = entry;
            break;
        }
        if (entry->ai_family == AF_INET6 && chosen == nullptr) {
            chosen = entry;
        }
    }
    if (chosen != nullptr) {
        address = QueryAddress();
        address.ipv6 = chosen->ai_family == AF_INET6;
        if (address.ipv6) {
            std::memcpy(address.bytes, &reinterpret_cast<const sockaddr_in6*>(chosen->ai_addr)->sin6_addr, 16);
        } else {
            std::memcpy(address.bytes, &reinterpret_cast<const sockaddr_in*>(chosen->ai_addr)->sin_addr, 4);
        }
    }
    ::freeaddrinfo(found);
    return chosen != nullptr;
}

QuerySocket OpenDatagramSocket(const QueryAddress& address)
{
    const int s = ::socket(address.ipv6 ? AF_INET6 : AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    return s < 0 ? kNoQuerySocket : s;
}

void CloseDatagramSocket(QuerySocket socket)
{
    ::close(static_cast<int>(socket));
}

int SendDatagram(QuerySocket socket, const QueryAddress& address, std::uint16_t port, const std::uint8_t* data,
                 int length)
{
    sockaddr_storage target{};
    socklen_t targetLength = 0;
    if (address.ipv6) {
        auto* v6 = reinterpret_cast<sockaddr_in6*>(&target);
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(port);
        std::memcpy(&v6->sin6_addr, address.bytes, 16);
        targetLength = sizeof *v6;
    } else {
        auto* v4 = reinterpret_cast<sockaddr_in*>(&target);
        v4->sin_family = AF_INET;
        v4->sin_port = htons(port);
        std::memcpy(&v4->sin_addr, address.bytes, 4);
        targetLength = sizeof *v4;
    }
    return static_cast<int>(::sendto(static_cast<int>(socket), data, static_cast<size_t>(length), 0,
                                     reinterpret_cast<const sockaddr*>(&target), targetLength));
}

int WaitForDatagram(QuerySocket socket, int milliseconds)
{
    // A signal cuts poll short; wait again for the rest of the time.
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds < 0 ? 0 : milliseconds);
    for (;;) {
        int left = -1;
        if (milliseconds >= 0) {
            const auto rest = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            left = rest.count() > 0 ? static_cast<int>(rest.count()) : 0;
        }
        pollfd entry{static_cast<int>(socket), POLLIN, 0};
        const int ready = ::poll(&entry, 1, left);
        if (ready > 0) {
            return kDatagramWaiting;
        }
        if (ready == 0) {
            return kNothingArrived;
        }
        if (errno != EINTR) {
            return -1;
        }
    }
}

int ReceiveDatagram(QuerySocket socket, std::uint8_t* buffer, int length)
{
    // MSG_TRUNC gives the datagram's real length: one that does not fit fails, as the
    // Windows receive does, instead of arriving cut short.
    sockaddr_storage sender;
    socklen_t senderLength = sizeof sender;
    const ssize_t received = ::recvfrom(static_cast<int>(socket), buffer, static_cast<size_t>(length), MSG_TRUNC,
                                        reinterpret_cast<sockaddr*>(&sender), &senderLength);
    if (received < 0 && errno == ECONNREFUSED) {
        return kRefused;
    }
    return received < 0 || received > length ? -1 : static_cast<int>(received);
}
