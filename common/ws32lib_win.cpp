// The binding on Windows: WSOCK32.DLL loaded at run time, every call through a pointer
// resolved by name.
#include "ws32_calls.h"
#include "ws32_module.h"

#include <cstddef>

namespace {

// The calls in the order they are resolved.
enum CallIndex {
    kWSAFDIsSet, kWSACleanup, kWSAStartup, kAccept, kBind, kCloseSocket, kConnect,
    kGetHostName, kGetHostByAddr, kGetHostByName, kHtonl, kHtons, kInetAddr, kInetNtoa,
    kListen, kNtohl, kNtohs, kSelect, kSend, kSendTo, kSetSockOpt, kSocket, kShutdown,
    kRecv, kRecvFrom, kGetSockName, kIoctlSocket, kWSAGetLastError, kCallCount
};

constexpr const char* kCallNames[kCallCount] = {
    "__WSAFDIsSet", "WSACleanup", "WSAStartup", "accept", "bind", "closesocket", "connect",
    "gethostname", "gethostbyaddr", "gethostbyname", "htonl", "htons", "inet_addr", "inet_ntoa",
    "listen", "ntohl", "ntohs", "select", "send", "sendto", "setsockopt", "socket", "shutdown",
    "recv", "recvfrom", "getsockname", "ioctlsocket", "WSAGetLastError",
};

FARPROC g_calls[kCallCount] = {};

template <typename Function>
Function Call(CallIndex index)
{
    // Through a plain function pointer type: FARPROC and the socket calls differ in signature.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(g_calls[index]));
}

} // namespace

Ws32Module Ws32OpenModule(const char* libraryName)
{
    return LoadLibraryA(libraryName);
}

bool Ws32ResolveCalls(Ws32Module module)
{
    for (std::size_t i = 0; i < kCallCount; ++i) {
        g_calls[i] = GetProcAddress(module, kCallNames[i]);
        if (g_calls[i] == nullptr) {
            return false;
        }
    }
    return true;
}

void Ws32CloseModule(Ws32Module module)
{
    FreeLibrary(module);
}

int ws32_WSAFDIsSet(Ws32Socket socket, fd_set* set)
{
    return Call<int(WINAPI*)(SOCKET, fd_set*)>(kWSAFDIsSet)(socket, set);
}

int ws32_WSAStartup(WORD versionRequested, Ws32StartupRecord* record)
{
    return Call<int(WINAPI*)(WORD, LPWSADATA)>(kWSAStartup)(versionRequested, record);
}

int ws32_WSACleanup()
{
    return Call<int(WINAPI*)()>(kWSACleanup)();
}

int ws32_bind(Ws32Socket socket, const sockaddr* name, int nameLength)
{
    return Call<int(WINAPI*)(SOCKET, const sockaddr*, int)>(kBind)(socket, name, nameLength);
}

int ws32_closesocket(Ws32Socket socket)
{
    return Call<int(WINAPI*)(SOCKET)>(kCloseSocket)(socket);
}

hostent* ws32_gethostbyname(const char* name)
{
    return Call<hostent*(WINAPI*)(const char*)>(kGetHostByName)(name);
}

std::uint32_t ws32_htonl(std::uint32_t hostLong)
{
    return Call<u_long(WINAPI*)(u_long)>(kHtonl)(hostLong);
}

std::uint16_t ws32_htons(std::uint16_t hostShort)
{
    return Call<u_short(WINAPI*)(u_short)>(kHtons)(hostShort);
}

std::uint32_t ws32_inet_addr(const char* text)
{
    return Call<unsigned long(WINAPI*)(const char*)>(kInetAddr)(text);
}

char* ws32_inet_ntoa(in_addr address)
{
    return Call<char*(WINAPI*)(in_addr)>(kInetNtoa)(address);
}

int ws32_listen(Ws32Socket socket, int backlog)
{
    return Call<int(WINAPI*)(SOCKET, int)>(kListen)(socket, backlog);
}

int ws32_select(int count, fd_set* readSet, fd_set* writeSet, fd_set* exceptSet, timeval* timeout)
{
    return Call<int(WINAPI*)(int, fd_set*, fd_set*, fd_set*, const timeval*)>(kSelect)(
        count, readSet, writeSet, exceptSet, timeout);
}

int ws32_sendto(Ws32Socket socket, const char* buffer, int length, int flags, const sockaddr* to, int toLength)
{
    return Call<int(WINAPI*)(SOCKET, const char*, int, int, const sockaddr*, int)>(kSendTo)(
        socket, buffer, length, flags, to, toLength);
}

int ws32_shutdown(Ws32Socket socket, int how)
{
    return Call<int(WINAPI*)(SOCKET, int)>(kShutdown)(socket, how);
}

Ws32Socket ws32_socket(int family, int type, int protocol)
{
    return Call<SOCKET(WINAPI*)(int, int, int)>(kSocket)(family, type, protocol);
}

int ws32_recvfrom(Ws32Socket socket, char* buffer, int length, int flags, sockaddr* from, int* fromLength)
{
    // Windows Sockets fails a datagram longer than the buffer (WSAEMSGSIZE) and drops it.
    return Call<int(WINAPI*)(SOCKET, char*, int, int, sockaddr*, int*)>(kRecvFrom)(
        socket, buffer, length, flags, from, fromLength);
}

Ws32Socket ws32_accept(Ws32Socket socket, sockaddr* address, int* addressLength)
{
    return Call<SOCKET(WINAPI*)(SOCKET, sockaddr*, int*)>(kAccept)(socket, address, addressLength);
}

int ws32_connect(Ws32Socket socket, const sockaddr* name, int nameLength)
{
    return Call<int(WINAPI*)(SOCKET, const sockaddr*, int)>(kConnect)(socket, name, nameLength);
}

int ws32_recv(Ws32Socket socket, char* buffer, int length, int flags)
{
    return Call<int(WINAPI*)(SOCKET, char*, int, int)>(kRecv)(socket, buffer, length, flags);
}

int ws32_send(Ws32Socket socket, const char* buffer, int length, int flags)
{
    return Call<int(WINAPI*)(SOCKET, const char*, int, int)>(kSend)(socket, buffer, length, flags);
}

int ws32_getsockname(Ws32Socket socket, sockaddr* name, int* nameLength)
{
    return Call<int(WINAPI*)(SOCKET, sockaddr*, int*)>(kGetSockName)(socket, name, nameLength);
}

int ws32_ioctlsocket(Ws32Socket socket, long command, unsigned long* argument)
{
    return Call<int(WINAPI*)(SOCKET, long, u_long*)>(kIoctlSocket)(socket, command, argument);
}

int ws32_WSAGetLastError()
{
    return Call<int(WINAPI*)()>(kWSAGetLastError)();
}

WaitResult Ws32WaitReadable(Ws32Socket socket, long seconds, long microseconds)
{
    fd_set readSet;
    readSet.fd_count = 1;
    readSet.fd_array[0] = socket;
    timeval limit;
    limit.tv_sec = seconds;
    limit.tv_usec = microseconds;
    const bool unlimited = seconds == 0 && microseconds == 0;

    const int ready = ws32_select(0, &readSet, nullptr, nullptr, unlimited ? nullptr : &limit);
    if (ready == SOCKET_ERROR) {
        return WaitResult::Failed;
    }
    if (ready == 0) {
        return WaitResult::TimedOut;
    }
    return ws32_WSAFDIsSet(socket, &readSet) ? WaitResult::Readable : WaitResult::NotReady;
}
