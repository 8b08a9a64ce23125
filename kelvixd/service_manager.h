// What systemd hears from kelvixd (Type=notify): ready after start-up, reloading and
// ready again around a SIGHUP, stopping at the end. sd_notify(3)'s protocol needs no
// library: "KEY=value" lines in one datagram to the Unix socket named by $NOTIFY_SOCKET
// ("@..." is an abstract name). Without the variable nothing is sent.
#pragma once

#include <string>

class ServiceManager {
public:
    ServiceManager();
    ~ServiceManager();
    ServiceManager(const ServiceManager&) = delete;
    ServiceManager& operator=(const ServiceManager&) = delete;

    void Ready(const std::string& status);
    void Reloading();
    void Stopping();

private:
    void Send(const std::string& message);

    int socket_ = -1;
    std::string address_;  // the socket's name, a leading NUL for an abstract one
};
