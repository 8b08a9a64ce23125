// Socket types of the native build: the same interface on top of BSD sockets.
#pragma once

#include "wintypes.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>

using Ws32Socket = int;
using Ws32Module = void*;

// Stand-in for the Windows Sockets start-up data: only the version is meaningful here.
struct Ws32StartupRecord {
    WORD wVersion;
    WORD wHighVersion;
};

// File descriptor 0 is a valid socket on POSIX, so a closed socket is -1 here.
constexpr Ws32Socket kNoSocket = -1;
constexpr Ws32Socket kInvalidSocket = -1;

#define WS32LIB_EXPORT extern "C"
