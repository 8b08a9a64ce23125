#include "query_service.h"

#include "query_protocol.h"
#include "server_worker.h"
#include "service_errors.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

int ProbeUdpPort(std::uint32_t port)
{
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return errno;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    const int error = bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 ? 0 : errno;
    close(fd);
    return error;
}

bool QueryService::Start(std::uint32_t port)
{
    const int error = ProbeUdpPort(port);
    if (error != 0) {
        std::fprintf(stderr, "kelvixd: UDP port %u: %s\n", port, std::strerror(error));
        return false;
    }
    port_ = port;
    stopping_ = false;
    failed_ = false;
    worker_ = std::thread(&QueryService::Run, this);
    return true;
}

void QueryService::Run()
{
    while (!stopping_) {
        const unsigned long errors = ServiceErrorCount();
        ServeQueries(port_, table_, notice_, rules_, refused_, verdicts_);
        if (stopping_) {
            break;
        }
        // The worker logged why it ended (no port, a failed wait): give up, do not spin.
        if (ServiceErrorCount() != errors) {
            failed_ = true;
            break;
        }
        std::fprintf(stderr, "kelvixd: stop command received on port %u: ignored, the service manager "
                             "stops kelvixd\n", port_);
    }
}

void QueryService::Stop()
{
    if (!worker_.joinable()) {
        return;
    }
    stopping_ = true;
    // The worker leaves its loop on a stop command from this machine.
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port_));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const std::uint8_t stop = kStopCommand;
    if (fd >= 0) {
        sendto(fd, &stop, 1, 0, reinterpret_cast<const sockaddr*>(&address), sizeof address);
        close(fd);
    }
    worker_.join();
}
