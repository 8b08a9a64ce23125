// The stream calls natively: O_NONBLOCK through fcntl, waiting with poll (no FD_SETSIZE limit).
#include "ws32_calls.h"
#include "ws32_stream.h"

#include <cerrno>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

bool WouldBlock(int error)
{
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

}  // namespace

Ws32Socket Ws32OpenListener(std::uint32_t address, std::uint16_t port, int backlog)
{
    const Ws32Socket listener = ws32_socket(AF_INET, SOCK_STREAM, 0);
    if (listener == kInvalidSocket) {
        return kInvalidSocket;
    }
    // A restart (settings changed) must not wait for the old connections' TIME_WAIT.
    const int reuse = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = address;
    local.sin_port = ws32_htons(port);
    if (ws32_bind(listener, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0
        || ws32_listen(listener, backlog) != 0) {
        ws32_closesocket(listener);
        return kInvalidSocket;
    }
    return listener;
}

std::uint16_t Ws32LocalPort(Ws32Socket socket)
{
    sockaddr_in local{};
    int length = sizeof local;
    if (ws32_getsockname(socket, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
        return 0;
    }
    return ntohs(local.sin_port);
}

Ws32Socket Ws32Accept(Ws32Socket listener, sockaddr_in& peer)
{
    int length = sizeof peer;
    return ws32_accept(listener, reinterpret_cast<sockaddr*>(&peer), &length);
}

bool Ws32SetNonBlocking(Ws32Socket socket)
{
    unsigned long nonBlocking = 1;
    return ws32_ioctlsocket(socket, FIONBIO, &nonBlocking) == 0;
}

int Ws32BytesWaiting(Ws32Socket socket)
{
    int waiting = 0;
    return ::ioctl(socket, FIONREAD, &waiting) == 0 ? waiting : -1;
}

StreamResult Ws32Receive(Ws32Socket socket, char* buffer, int capacity, int& count)
{
    count = 0;
    const int received = ws32_recv(socket, buffer, capacity, 0);
    if (received == 0) {
        return StreamResult::Closed;
    }
    if (received < 0) {
        return WouldBlock(errno) ? StreamResult::WouldBlock : StreamResult::Failed;
    }
    count = received;
    return StreamResult::Done;
}

StreamResult Ws32Send(Ws32Socket socket, const char* buffer, int length, int& count)
{
    count = 0;
    const int sent = ws32_send(socket, buffer, length, 0);
    if (sent < 0) {
        return WouldBlock(errno) ? StreamResult::WouldBlock : StreamResult::Failed;
    }
    count = sent;
    return StreamResult::Done;
}

int Ws32WaitSockets(Ws32WaitEntry* entries, int count, int milliseconds)
{
    if (count < 0 || count > kMaxWaitEntries) {
        return -1;
    }
    pollfd polled[kMaxWaitEntries];
    for (int i = 0; i < count; ++i) {
        polled[i].fd = entries[i].socket;
        polled[i].events = static_cast<short>((entries[i].wantRead ? POLLIN : 0) | (entries[i].wantWrite ? POLLOUT : 0));
        polled[i].revents = 0;
    }
    const int ready = ::poll(polled, static_cast<nfds_t>(count), milliseconds);
    if (ready < 0) {
        return errno == EINTR ? 0 : -1;
    }
    int readyEntries = 0;
    for (int i = 0; i < count; ++i) {
        Ws32WaitEntry& entry = entries[i];
        const short events = polled[i].revents;
        const bool failed = (events & (POLLERR | POLLHUP | POLLNVAL)) != 0;
        entry.readable = entry.wantRead && ((events & POLLIN) != 0 || failed);
        entry.writable = (entry.wantWrite && (events & POLLOUT) != 0) || failed;
        readyEntries += entry.readable || entry.writable ? 1 : 0;
    }
    return readyEntries;
}

Ws32Socket Ws32ConnectStream(std::uint32_t address, std::uint16_t port, int milliseconds, bool& timedOut)
{
    timedOut = false;
    const Ws32Socket socket = ws32_socket(AF_INET, SOCK_STREAM, 0);
    if (socket == kInvalidSocket) {
        return kInvalidSocket;
    }
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_addr.s_addr = address;
    peer.sin_port = port;
    if (!Ws32SetNonBlocking(socket)) {
        ws32_closesocket(socket);
        return kInvalidSocket;
    }
    if (ws32_connect(socket, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0) {
        return socket;
    }
    if (errno != EINPROGRESS) {
        ws32_closesocket(socket);
        return kInvalidSocket;
    }
    pollfd polled{socket, POLLOUT, 0};
    const int ready = ::poll(&polled, 1, milliseconds);
    int error = 0;
    socklen_t length = sizeof error;
    if (ready <= 0 || ::getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
        timedOut = ready == 0;
        ws32_closesocket(socket);
        return kInvalidSocket;
    }
    return socket;
}
