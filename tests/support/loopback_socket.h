// A plain BSD UDP socket for the native service tests: an independent peer for the
// classes under test, bound to a loopback (or other local) address.
#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

class LoopbackSocket {
public:
    // Binds to the address and port (0 = any free port).
    explicit LoopbackSocket(const char* address = "127.0.0.1", std::uint16_t port = 0);
    LoopbackSocket(const LoopbackSocket&) = delete;
    LoopbackSocket& operator=(const LoopbackSocket&) = delete;
    ~LoopbackSocket();

    bool IsOpen() const { return fd_ >= 0; }
    std::uint16_t Port() const;
    bool SendTo(std::uint16_t port, const Bytes& bytes, const char* address = "127.0.0.1") const;
    // The next datagram (up to 4096 bytes) and its sender. Gives up after a generous guard
    // time so that a broken server fails the test instead of hanging it.
    std::optional<Bytes> Receive(sockaddr_in* from = nullptr, int guardMilliseconds = 10000) const;
    // True when a datagram is already waiting.
    bool HasPending() const;

private:
    int fd_ = -1;
};

// A server started on its own thread binds a moment later, and datagrams sent before that
// are lost: echo probes, each from a fresh socket so a late answer reaches nobody, until
// one is answered. False if none is.
bool WaitUntilServing(std::uint16_t port);

// A UDP port that is free on every interface right now.
std::uint16_t FreeUdpPort();

// A local IPv4 address that is not loopback, or an empty string when the machine has none.
std::string NonLoopbackAddress();
