#include "mqtt_link.h"

#include "ws32_calls.h"

#include <cstring>

namespace {

// The host's first IPv4 address, in network order; false when it has none.
bool Resolve(const std::string& host, std::uint32_t& address)
{
    address = ws32_inet_addr(host.c_str());
    if (address != INADDR_NONE) {
        return true;
    }
    const hostent* entry = ws32_gethostbyname(host.c_str());
    if (entry == nullptr || entry->h_addrtype != AF_INET || entry->h_addr_list[0] == nullptr) {
        return false;
    }
    std::memcpy(&address, entry->h_addr_list[0], sizeof address);
    return true;
}

}  // namespace

bool TcpStream::Open(const std::string& host, std::uint16_t port, int milliseconds, MqttOutcome& error)
{
    Close();
    std::uint32_t address = 0;
    if (!Resolve(host, address)) {
        error = {KelvixText::MqttHostUnknown, host};
        return false;
    }
    bool timedOut = false;
    socket_ = Ws32ConnectStream(address, ws32_htons(port), milliseconds, timedOut);
    if (socket_ == kInvalidSocket) {
        error = {timedOut ? KelvixText::MqttNoAnswerFrom : KelvixText::MqttConnectionRefused, host,
                 std::to_string(port)};
        return false;
    }
    return true;
}

bool TcpStream::Wait(bool forWrite, int milliseconds)
{
    Ws32WaitEntry entry;
    entry.socket = socket_;
    entry.wantRead = !forWrite;
    entry.wantWrite = forWrite;
    return Ws32WaitSockets(&entry, 1, milliseconds) > 0;
}

bool TcpStream::WriteAll(const char* data, std::size_t length, int milliseconds)
{
    std::size_t sent = 0;
    while (sent < length) {
        int count = 0;
        const StreamResult result = Ws32Send(socket_, data + sent, static_cast<int>(length - sent), count);
        if (result == StreamResult::Done) {
            sent += static_cast<std::size_t>(count);
        } else if (result != StreamResult::WouldBlock || !Wait(true, milliseconds)) {
            return false;
        }
    }
    return true;
}

StreamResult TcpStream::Read(char* buffer, int capacity, int& count, int milliseconds)
{
    count = 0;
    if (!Wait(false, milliseconds)) {
        return StreamResult::WouldBlock;
    }
    return Ws32Receive(socket_, buffer, capacity, count);
}

void TcpStream::Close()
{
    if (socket_ != kInvalidSocket) {
        ws32_closesocket(socket_);
        socket_ = kInvalidSocket;
    }
}
