#include "loopback_socket.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

LoopbackSocket::LoopbackSocket(const char* address, std::uint16_t port)
{
    fd_ = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    ::inet_pton(AF_INET, address, &local.sin_addr);
    if (fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

LoopbackSocket::~LoopbackSocket()
{
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

std::uint16_t LoopbackSocket::Port() const
{
    sockaddr_in local{};
    socklen_t length = sizeof local;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &length);
    return ntohs(local.sin_port);
}

bool LoopbackSocket::SendTo(std::uint16_t port, const Bytes& bytes, const char* address) const
{
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(port);
    ::inet_pton(AF_INET, address, &target.sin_addr);
    const ssize_t sent =
        ::sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&target), sizeof target);
    return sent == static_cast<ssize_t>(bytes.size());
}

std::optional<Bytes> LoopbackSocket::Receive(sockaddr_in* from, int guardMilliseconds) const
{
    pollfd entry{fd_, POLLIN, 0};
    if (::poll(&entry, 1, guardMilliseconds) != 1) {
        return std::nullopt;
    }
    Bytes buffer(4096);
    sockaddr_in sender{};
    socklen_t length = sizeof sender;
    const ssize_t received =
        ::recvfrom(fd_, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&sender), &length);
    if (received < 0) {
        return std::nullopt;
    }
    if (from != nullptr) {
        *from = sender;
    }
    buffer.resize(static_cast<std::size_t>(received));
    return buffer;
}

bool LoopbackSocket::HasPending() const
{
    pollfd entry{fd_, POLLIN, 0};
    return ::poll(&entry, 1, 0) == 1;
}

bool WaitUntilServing(std::uint16_t port)
{
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const LoopbackSocket probe;
        if (probe.SendTo(port, {0x00}) && probe.Receive(nullptr, 10)) {
            return true;
        }
    }
    return false;
}

std::uint16_t FreeUdpPort()
{
    const LoopbackSocket probe("0.0.0.0", 0);
    return probe.Port();
}

std::string NonLoopbackAddress()
{
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) {
        return {};
    }
    std::string found;
    for (const ifaddrs* item = list; item != nullptr && found.empty(); item = item->ifa_next) {
        if (item->ifa_addr == nullptr || item->ifa_addr->sa_family != AF_INET) {
            continue;
        }
        const auto* address = reinterpret_cast<const sockaddr_in*>(item->ifa_addr);
        char text[INET_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET, &address->sin_addr, text, sizeof text);
        if (std::strncmp(text, "127.", 4) != 0) {
            found = text;
        }
    }
    ::freeifaddrs(list);
    return found;
}
