// The yardstick for the report server: Windows Sockets linked directly, a blocking
// recvfrom/sendto loop that answers every datagram with a fixed 1920-byte reply. The one
// byte 0x10 from this machine ends it.
//
//   bench_responder_minimal PORT
#include <winsock2.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 2) {
        return 2;
    }
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        return 1;
    }
    SOCKET server = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(static_cast<u_short>(std::atoi(argv[1])));
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    if (server == INVALID_SOCKET || bind(server, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        return 1;
    }
    static char answer[1920];
    for (char& byte : answer) {
        byte = 0x01;
    }
    for (;;) {
        char request[4];
        sockaddr_in peer{};
        int length = sizeof peer;
        const int received = recvfrom(server, request, sizeof request, 0, reinterpret_cast<sockaddr*>(&peer), &length);
        if (received == 1 && request[0] == 0x10 && (ntohl(peer.sin_addr.s_addr) >> 24) == 127) {
            break;
        }
        if (received > 0) {
            sendto(server, answer, sizeof answer, 0, reinterpret_cast<sockaddr*>(&peer), length);
        }
    }
    closesocket(server);
    WSACleanup();
    return 0;
}
