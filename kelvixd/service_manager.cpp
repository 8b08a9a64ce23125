#include "service_manager.h"

#include "journal.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <ctime>

ServiceManager::ServiceManager()
{
    const char* name = std::getenv("NOTIFY_SOCKET");
    if (name == nullptr || (name[0] != '/' && name[0] != '@') || std::strlen(name) >= sizeof(sockaddr_un::sun_path)) {
        return;
    }
    address_ = name;
    if (address_[0] == '@') {
        address_[0] = '\0';
    }
    socket_ = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (socket_ < 0) {
        Journal(Priority::Warning, "the service manager cannot be told our state: %s", std::strerror(errno));
    }
}

ServiceManager::~ServiceManager()
{
    if (socket_ >= 0) {
        close(socket_);
    }
}

void ServiceManager::Send(const std::string& message)
{
    if (socket_ < 0) {
        return;
    }
    sockaddr_un to{};
    to.sun_family = AF_UNIX;
    std::memcpy(to.sun_path, address_.data(), address_.size());
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + address_.size());
    if (sendto(socket_, message.data(), message.size(), MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&to), length) < 0) {
        Journal(Priority::Warning, "the service manager's socket refused \"%s\": %s", message.substr(0, 16).c_str(),
                std::strerror(errno));
    }
}

void ServiceManager::Ready(const std::string& status)
{
    Send("READY=1\nSTATUS=" + status);
}

void ServiceManager::Reloading()
{
    // The clock lets systemd tell this reload from an older one.
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const unsigned long long microseconds =
        static_cast<unsigned long long>(now.tv_sec) * 1000000ULL + static_cast<unsigned long long>(now.tv_nsec) / 1000;
    Send("RELOADING=1\nMONOTONIC_USEC=" + std::to_string(microseconds));
}

void ServiceManager::Stopping()
{
    Send("STOPPING=1");
}
