#include "udp_responder.h"

#include <arpa/inet.h>
#include <sys/socket.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

int OpenUdp(std::uint16_t port)
{
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        std::perror("bench: socket");
        std::exit(1);
    }
    return fd;
}

std::uint16_t PortOf(int fd)
{
    sockaddr_in local{};
    socklen_t length = sizeof local;
    getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length);
    return ntohs(local.sin_port);
}

void RunResponder(int fd)
{
    std::vector<char> answer(1920, 0x01);
    for (;;) {
        char request[4];
        sockaddr_in peer{};
        socklen_t length = sizeof peer;
        const ssize_t received = recvfrom(fd, request, sizeof request, 0, reinterpret_cast<sockaddr*>(&peer), &length);
        if (received == 1 && request[0] == 0x10) {
            return;
        }
        if (received == 1) {
            sendto(fd, answer.data(), answer.size(), 0, reinterpret_cast<sockaddr*>(&peer), length);
        }
    }
}
