// The plain link both platforms share.
#pragma once

#include "mqtt_link.h"

class PlainLink : public MqttLink {
public:
    bool Open(const std::string& host, std::uint16_t port, int milliseconds, MqttOutcome& error) override
    {
        return stream_.Open(host, port, milliseconds, error);
    }
    bool WriteAll(const char* data, std::size_t length, int milliseconds) override
    {
        return stream_.WriteAll(data, length, milliseconds);
    }
    StreamResult Read(char* buffer, int capacity, int& count, int milliseconds) override
    {
        return stream_.Read(buffer, capacity, count, milliseconds);
    }
    void Close() override { stream_.Close(); }

private:
    TcpStream stream_;
};
