// MqttLink: the byte stream to the broker, plain TCP or TLS. One file per platform makes
// it (mqtt_link_posix.cpp: OpenSSL; mqtt_link_schannel_win.cpp: Schannel); the plain TCP part is portable,
// on the socket binding.
#pragma once

#include "mqtt_outcome.h"
#include "mqtt_settings.h"
#include "ws32_stream.h"

#include <cstddef>
#include <memory>
#include <string>

class MqttLink {
public:
    virtual ~MqttLink() = default;
    // Connects (and for TLS, shakes hands and checks the certificate and host name)
    // within `milliseconds`; false with `error` saying why.
    virtual bool Open(const std::string& host, std::uint16_t port, int milliseconds, MqttOutcome& error) = 0;
    // Sends all of `data` within `milliseconds`; false when the link failed or stalled.
    virtual bool WriteAll(const char* data, std::size_t length, int milliseconds) = 0;
    // Waits up to `milliseconds` for bytes: Done with `count` > 0, WouldBlock when none
    // came, Closed or Failed when the link is gone.
    virtual StreamResult Read(char* buffer, int capacity, int& count, int milliseconds) = 0;
    virtual void Close() = 0;
};

// A link as the settings ask (TLS or not); null with `error` when this build cannot.
std::unique_ptr<MqttLink> MakeMqttLink(const MqttSettings& settings, MqttOutcome& error);

// Plain TCP on the socket binding: the whole link without TLS, and TLS's carrier.
class TcpStream {
public:
    TcpStream() = default;
    TcpStream(const TcpStream&) = delete;
    TcpStream& operator=(const TcpStream&) = delete;
    ~TcpStream() { Close(); }

    bool Open(const std::string& host, std::uint16_t port, int milliseconds, MqttOutcome& error);
    bool WriteAll(const char* data, std::size_t length, int milliseconds);
    StreamResult Read(char* buffer, int capacity, int& count, int milliseconds);
    // Waits until the socket can be read (or written); false on time-out or failure.
    bool Wait(bool forWrite, int milliseconds);
    void Close();
    Ws32Socket Socket() const { return socket_; }

private:
    Ws32Socket socket_ = kInvalidSocket;
};
