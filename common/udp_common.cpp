#include "udp_common.h"

#include "ws32_calls.h"

#include <cstring>

sockaddr_in MakeIPv4Address(std::uint32_t addressNetworkOrder, std::uint32_t port)
{
    sockaddr_in address;
    std::memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_port = ws32_htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = addressNetworkOrder;
    return address;
}

void CloseUdpSocket(Ws32Socket& socket)
{
    if (socket == kNoSocket) {
        return;
    }
    ws32_shutdown(socket, kShutdownBoth);
    ws32_closesocket(socket);
    socket = kNoSocket;
}

int WaitForDatagram(Ws32Socket socket, const UdpWaitTime& wait, int readable)
{
    switch (Ws32WaitReadable(socket, wait.seconds, wait.microseconds)) {
    case WaitResult::Readable:
        return readable;
    case WaitResult::Failed:
        return kUdpFailed;
    case WaitResult::TimedOut:
        return kUdpTimedOut;
    case WaitResult::NotReady:
        break;
    }
    return kUdpOtherFailure;
}
