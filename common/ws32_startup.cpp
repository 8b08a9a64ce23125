#include "ws32_calls.h"

namespace {
constexpr WORD kWinsockVersion11 = 0x0101;
}

int Ws32StartSockets(Ws32StartupRecord& record)
{
    return ws32_WSAStartup(kWinsockVersion11, &record) == 0 ? 0 : -1;
}

int Ws32EndSockets()
{
    return ws32_WSACleanup() == 0 ? 0 : -1;
}
