// The stream calls on Windows Sockets 1.1: non-blocking through FIONBIO, waiting with
// select over fd_set arrays built per call.
#include "ws32_calls.h"
#include "ws32_stream.h"

Ws32Socket Ws32OpenListener(std::uint32_t address, std::uint16_t port, int backlog)
{
    const Ws32Socket listener = ws32_socket(AF_INET, SOCK_STREAM, 0);
    if (listener == kInvalidSocket) {
        return kInvalidSocket;
    }
    // No SO_REUSEADDR: on Windows it would let another program take the port as well.
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
    return static_cast<std::uint16_t>(((local.sin_port & 0xFF) << 8) | ((local.sin_port >> 8) & 0xFF));
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
    unsigned long waiting = 0;
    if (ws32_ioctlsocket(socket, FIONREAD, &waiting) != 0) {
        return -1;
    }
    return waiting > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(waiting);
}

StreamResult Ws32Receive(Ws32Socket socket, char* buffer, int capacity, int& count)
{
    count = 0;
    const int received = ws32_recv(socket, buffer, capacity, 0);
    if (received == 0) {
        return StreamResult::Closed;
    }
    if (received == SOCKET_ERROR) {
        return ws32_WSAGetLastError() == WSAEWOULDBLOCK ? StreamResult::WouldBlock : StreamResult::Failed;
    }
    count = received;
    return StreamResult::Done;
}

StreamResult Ws32Send(Ws32Socket socket, const char* buffer, int length, int& count)
{
    count = 0;
    const int sent = ws32_send(socket, buffer, length, 0);
    if (sent == SOCKET_ERROR) {
        return ws32_WSAGetLastError() == WSAEWOULDBLOCK ? StreamResult::WouldBlock : StreamResult::Failed;
    }
    count = sent;
    return StreamResult::Done;
}

int Ws32WaitSockets(Ws32WaitEntry* entries, int count, int milliseconds)
{
    if (count < 0 || count > kMaxWaitEntries) {
        return -1;
    }
    fd_set readSet;
    fd_set writeSet;
    fd_set exceptSet;
    readSet.fd_count = writeSet.fd_count = exceptSet.fd_count = 0;
    for (int i = 0; i < count; ++i) {
        Ws32WaitEntry& entry = entries[i];
        entry.readable = entry.writable = false;
        if (entry.wantRead) {
            readSet.fd_array[readSet.fd_count++] = entry.socket;
        }
        if (entry.wantWrite) {
            writeSet.fd_array[writeSet.fd_count++] = entry.socket;
        }
        exceptSet.fd_array[exceptSet.fd_count++] = entry.socket;
    }
    timeval limit;
    limit.tv_sec = milliseconds / 1000;
    limit.tv_usec = (milliseconds % 1000) * 1000;
    const int ready = ws32_select(0, &readSet, &writeSet, &exceptSet, &limit);
    if (ready == SOCKET_ERROR) {
        return -1;
    }
    int readyEntries = 0;
    for (int i = 0; i < count; ++i) {
        Ws32WaitEntry& entry = entries[i];
        entry.readable = entry.wantRead && ws32_WSAFDIsSet(entry.socket, &readSet);
        entry.writable = (entry.wantWrite && ws32_WSAFDIsSet(entry.socket, &writeSet))
                         || ws32_WSAFDIsSet(entry.socket, &exceptSet);
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
    if (ws32_WSAGetLastError() != WSAEWOULDBLOCK) {
        ws32_closesocket(socket);
        return kInvalidSocket;
    }
    // Windows Sockets tells a failed connection in the exception set, a made one in the
    // write set.
    fd_set written;
    fd_set failed;
    FD_ZERO(&written);
    FD_ZERO(&failed);
    FD_SET(socket, &written);
    FD_SET(socket, &failed);
    timeval wait{milliseconds / 1000, (milliseconds % 1000) * 1000};
    const int ready = ws32_select(0, nullptr, &written, &failed, &wait);
    if (ready <= 0 || ws32_WSAFDIsSet(socket, &failed) != 0 || ws32_WSAFDIsSet(socket, &written) == 0) {
        timedOut = ready == 0;
        ws32_closesocket(socket);
        return kInvalidSocket;
    }
    return socket;
}
