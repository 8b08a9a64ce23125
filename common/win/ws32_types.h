// Socket types of the Windows build: Windows Sockets 1.1 as declared by <winsock.h>.
// Nothing here links the library; the binding loads WSOCK32.DLL at run time.
#pragma once

#include <windows.h>
#include <winsock.h>

using Ws32Socket = SOCKET;
using Ws32Module = HMODULE;
using Ws32StartupRecord = WSADATA;

// The socket classes mark a closed socket with 0; socket() reports failure with INVALID_SOCKET.
constexpr Ws32Socket kNoSocket = 0;
constexpr Ws32Socket kInvalidSocket = INVALID_SOCKET;

// The WS32LIB_ functions are exported by name from the programs that link them.
#define WS32LIB_EXPORT extern "C" __declspec(dllexport)
