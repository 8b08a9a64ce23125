// The binding natively: the C library's BSD sockets are already part of the process, so
// "loading" opens the process itself and every call maps straight onto its BSD form.
#include "ws32_calls.h"
#include "ws32_module.h"
#include "ws32lib.h"

#include <cerrno>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <poll.h>
#include <unistd.h>

namespace {

// Whether the last receive on this thread failed; see Ws32WaitReadable.
thread_local bool t_lastReceiveFailed = false;

} // namespace

Ws32Module Ws32OpenModule(const char* libraryName)
{
    // The socket library's own name stands for the C library; any other name is opened
    // as it is (and normally fails), so the failure paths behave as on Windows.
    const bool socketLibrary = std::strcmp(libraryName, kSocketLibraryName) == 0;
    return dlopen(socketLibrary ? nullptr : libraryName, RTLD_NOW);
}

bool Ws32ResolveCalls(Ws32Module)
{
    return true;
}

void Ws32CloseModule(Ws32Module module)
{
    dlclose(module);
}

int ws32_WSAFDIsSet(Ws32Socket socket, fd_set* set)
{
    return socket >= 0 && socket < FD_SETSIZE && FD_ISSET(socket, set) ? 1 : 0;
}

int ws32_WSAStartup(WORD versionRequested, Ws32StartupRecord* record)
{
    record->wVersion = versionRequested;
    record->wHighVersion = versionRequested;
    return 0;
}

int ws32_WSACleanup()
{
    return 0;
}

int ws32_bind(Ws32Socket socket, const sockaddr* name, int nameLength)
{
    return ::bind(socket, name, static_cast<socklen_t>(nameLength));
}

int ws32_closesocket(Ws32Socket socket)
{
    return ::close(socket);
}

hostent* ws32_gethostbyname(const char* name)
{
    return ::gethostbyname(name);
}

std::uint32_t ws32_htonl(std::uint32_t hostLong)
{
    return htonl(hostLong);
}

std::uint16_t ws32_htons(std::uint16_t hostShort)
{
    return htons(hostShort);
}

std::uint32_t ws32_inet_addr(const char* text)
{
    return ::inet_addr(text);
}

char* ws32_inet_ntoa(in_addr address)
{
    return ::inet_ntoa(address);
}

int ws32_listen(Ws32Socket socket, int backlog)
{
    return ::listen(socket, backlog);
}

int ws32_select(int count, fd_set* readSet, fd_set* writeSet, fd_set* exceptSet, timeval* timeout)
{
    return ::select(count, readSet, writeSet, exceptSet, timeout);
}

int ws32_sendto(Ws32Socket socket, const char* buffer, int length, int flags, const sockaddr* to, int toLength)
{
    return static_cast<int>(::sendto(socket, buffer, static_cast<size_t>(length), flags, to,
                                     static_cast<socklen_t>(toLength)));
}

int ws32_shutdown(Ws32Socket socket, int how)
{
    return ::shutdown(socket, how);
}

Ws32Socket ws32_socket(int family, int type, int protocol)
{
    return ::socket(family, type, protocol);
}

int ws32_recvfrom(Ws32Socket socket, char* buffer, int length, int flags, sockaddr* from, int* fromLength)
{
    // recvfrom truncates a longer datagram silently; MSG_TRUNC reports its real length, so
    // a datagram that does not fit fails as it does on Windows (and is gone either way).
    socklen_t addressLength = fromLength != nullptr ? static_cast<socklen_t>(*fromLength) : 0;
    const ssize_t received = ::recvfrom(socket, buffer, static_cast<size_t>(length), flags | MSG_TRUNC,
                                        from, fromLength != nullptr ? &addressLength : nullptr);
    if (fromLength != nullptr) {
        *fromLength = static_cast<int>(addressLength);
    }
    t_lastReceiveFailed = received < 0 || received > length;
    if (received > length) {
        errno = EMSGSIZE;
        return -1;
    }
    return static_cast<int>(received);
}

Ws32Socket ws32_accept(Ws32Socket socket, sockaddr* address, int* addressLength)
{
    socklen_t length = addressLength != nullptr ? static_cast<socklen_t>(*addressLength) : 0;
    const int accepted = ::accept(socket, address, addressLength != nullptr ? &length : nullptr);
    if (addressLength != nullptr) {
        *addressLength = static_cast<int>(length);
    }
    return accepted;
}

int ws32_connect(Ws32Socket socket, const sockaddr* name, int nameLength)
{
    return ::connect(socket, name, static_cast<socklen_t>(nameLength));
}

int ws32_recv(Ws32Socket socket, char* buffer, int length, int flags)
{
    return static_cast<int>(::recv(socket, buffer, static_cast<size_t>(length), flags));
}

int ws32_send(Ws32Socket socket, const char* buffer, int length, int flags)
{
    // A peer that has gone fails the call instead of raising SIGPIPE, as on Windows.
    return static_cast<int>(::send(socket, buffer, static_cast<size_t>(length), flags | MSG_NOSIGNAL));
}

int ws32_getsockname(Ws32Socket socket, sockaddr* name, int* nameLength)
{
    socklen_t length = static_cast<socklen_t>(*nameLength);
    const int result = ::getsockname(socket, name, &length);
    *nameLength = static_cast<int>(length);
    return result;
}

int ws32_ioctlsocket(Ws32Socket socket, long command, unsigned long* argument)
{
    // Only the one command the services use: FIONBIO, non-blocking on or off.
    if (command != static_cast<long>(FIONBIO)) {
        errno = EINVAL;
        return -1;
    }
    const int flags = ::fcntl(socket, F_GETFL);
    if (flags < 0) {
        return -1;
    }
    return ::fcntl(socket, F_SETFL, *argument != 0 ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK));
}

int ws32_WSAGetLastError()
{
    return errno;
}

WaitResult Ws32WaitReadable(Ws32Socket socket, long seconds, long microseconds)
{
    // Without a time limit the receive that follows blocks by itself, and a poll first
    // would only cost the server one more system call per request. After a failed
    // receive the poll does run, so a socket that has gone bad is still reported as a
    // failed wait rather than retried for ever.
    if (socket < 0) {
        return WaitResult::Failed;  // poll would skip the entry and wait for nothing
    }
    const bool unlimited = seconds == 0 && microseconds == 0;
    if (unlimited && !t_lastReceiveFailed) {
        return WaitResult::Readable;
    }
    // poll rather than select: a descriptor number is not limited to FD_SETSIZE here.
    pollfd entry{};
    entry.fd = socket;
    entry.events = POLLIN;
    const int timeoutMs = unlimited ? -1 : static_cast<int>(seconds * 1000 + (microseconds + 999) / 1000);

    const int ready = ::poll(&entry, 1, timeoutMs);
    if (ready < 0) {
        return errno == EINTR ? WaitResult::NotReady : WaitResult::Failed;
    }
    if (ready == 0) {
        return WaitResult::TimedOut;
    }
    if (entry.revents & POLLNVAL) {
        return WaitResult::Failed;
    }
    return WaitResult::Readable;
}
