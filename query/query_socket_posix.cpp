#include "query_socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/uio.h>
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

namespace {

// With IP_RECVERR an unconnected socket hears of refusals too, and each one also waits on
// the error queue until it is read (or poll would keep reporting it).
void DrainErrorQueue(int fd)
{
    std::uint8_t data[64];
    char control[512];
    for (int i = 0; i < 64; ++i) {
        iovec part{data, sizeof data};
        msghdr message{};
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        if (::recvmsg(fd, &message, MSG_ERRQUEUE | MSG_DONTWAIT) < 0) {
            return;
        }
    }
}

// Errors a host's silence tells as well: it is off, or the way to it is.
bool Unreachable(int error)
{
    return error == EHOSTUNREACH || error == ENETUNREACH || error == EHOSTDOWN || error == ENETDOWN ||
           error == ENONET;
}

} // namespace

QuerySocket OpenDatagramSocket(const QueryAddress& address)
{
    const int s = ::socket(address.ipv6 ? AF_INET6 : AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_UDP);
    if (s < 0) {
        return kNoQuerySocket;
    }
    const int on = 1;
    const int set = address.ipv6 ? ::setsockopt(s, IPPROTO_IPV6, IPV6_RECVERR, &on, sizeof on)
                                 : ::setsockopt(s, IPPROTO_IP, IP_RECVERR, &on, sizeof on);
    if (set != 0) {
        ::close(s);
        return kNoQuerySocket;
    }
    return s;
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
    const int fd = static_cast<int>(socket);
    const ssize_t sent = ::sendto(fd, data, static_cast<size_t>(length), 0, reinterpret_cast<const sockaddr*>(&target),
                                  targetLength);
    if (sent >= 0) {
        return static_cast<int>(sent);
    }
    // A refusal that arrived since the last receive is told by the next send.
    const int error = errno;
    DrainErrorQueue(fd);
    if (error == ECONNREFUSED) {
        return kRefused;
    }
    return error == EAGAIN || error == EWOULDBLOCK || error == ENOBUFS || Unreachable(error) ? kNoDatagram : -1;
}

int WaitForDatagrams(const QuerySocket* sockets, int count, int milliseconds, bool* ready)
{
    if (count < 0 || count > kMostWaitedSockets) {
        return -1;
    }
    pollfd entries[kMostWaitedSockets];
    for (int i = 0; i < count; ++i) {
        entries[i] = {static_cast<int>(sockets[i]), POLLIN, 0};
    }
    // A signal cuts poll short; wait again for the rest of the time.
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds < 0 ? 0 : milliseconds);
    for (;;) {
        int left = -1;
        if (milliseconds >= 0) {
            const auto rest = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            left = rest.count() > 0 ? static_cast<int>(rest.count()) : 0;
        }
        const int found = ::poll(entries, static_cast<nfds_t>(count), left);
        if (found >= 0) {
            for (int i = 0; i < count; ++i) {
                ready[i] = entries[i].revents != 0;
            }
            return found;
        }
        if (errno != EINTR) {
            return -1;
        }
    }
}

int ReceiveDatagram(QuerySocket socket, std::uint8_t* buffer, int length, DatagramSource& source)
{
    // MSG_TRUNC gives the datagram's real length: one that does not fit fails, as the
    // Windows receive does, instead of arriving cut short.
    const int fd = static_cast<int>(socket);
    sockaddr_storage sender;
    socklen_t senderLength = sizeof sender;
    const ssize_t received = ::recvfrom(fd, buffer, static_cast<size_t>(length), MSG_TRUNC,
                                        reinterpret_cast<sockaddr*>(&sender), &senderLength);
    if (received >= 0) {
        source = DatagramSource();
        if (sender.ss_family == AF_INET6) {
            const auto* v6 = reinterpret_cast<const sockaddr_in6*>(&sender);
            source.address.ipv6 = true;
            std::memcpy(source.address.bytes, &v6->sin6_addr, 16);
            source.port = ntohs(v6->sin6_port);
        } else if (sender.ss_family == AF_INET) {
            const auto* v4 = reinterpret_cast<const sockaddr_in*>(&sender);
            std::memcpy(source.address.bytes, &v4->sin_addr, 4);
            source.port = ntohs(v4->sin_port);
        }
        return received > length ? kTooLong : static_cast<int>(received);
    }
    const int error = errno;
    if (error == EAGAIN || error == EWOULDBLOCK || error == EINTR) {
        return kNoDatagram;
    }
    DrainErrorQueue(fd);
    if (error == ECONNREFUSED) {
        return kRefused;
    }
    return Unreachable(error) ? kNoDatagram : -1;
}
