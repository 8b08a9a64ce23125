#include "report_exchange.h"

#include "dotted_address.h"

#include <algorithm>

namespace {

class SocketHolder {
public:
    explicit SocketHolder(const QueryAddress& address) : socket_(OpenDatagramSocket(address)) {}
    SocketHolder(const SocketHolder&) = delete;
    SocketHolder& operator=(const SocketHolder&) = delete;
    ~SocketHolder()
    {
        if (socket_ != kNoQuerySocket) {
            CloseDatagramSocket(socket_);
        }
    }
    QuerySocket Get() const { return socket_; }

private:
    QuerySocket socket_;
};

} // namespace

ExchangeResult AskForReport(const QueryAddress& address, std::uint16_t port, int waitMilliseconds, int tries,
                            std::uint8_t (&report)[kReportBytes])
{
    std::fill(report, report + kReportBytes, std::uint8_t{0});
    ExchangeResult result;
    const SocketHolder socket(address);
    if (socket.Get() == kNoQuerySocket) {
        result.fault = ExchangeFault::Socket;
        return result;
    }
    const int wait = waitMilliseconds == 0 ? -1 : waitMilliseconds;
    const int rounds = waitMilliseconds == 0 ? 1 : std::max(tries, 1);
    const std::uint8_t command = kReportCommand;
    for (int round = 0; round < rounds; ++round) {
        if (SendDatagram(socket.Get(), address, port, &command, 1) < 1) {
            result.fault = ExchangeFault::Send;
            return result;
        }
        const int ready = WaitForDatagram(socket.Get(), wait);
        if (ready == kNothingArrived) {
            continue;
        }
        const int received = ready == kDatagramWaiting
                                 ? ReceiveDatagram(socket.Get(), report, static_cast<int>(kReportBytes))
                                 : -1;
        if (received == kRefused) {
            continue;  // nobody listens there now; perhaps by the next try
        }
        if (received < 0) {
            result.fault = ExchangeFault::Receive;
            return result;
        }
        result.length = received;
        return result;
    }
    result.fault = ExchangeFault::NoAnswer;
    return result;
}

bool ResolveQueryHost(const std::string& host, QueryAddress& address)
{
    std::uint8_t octets[4];
    if (ParseDottedIPv4(host.c_str(), octets)) {
        address = QueryAddress();
        std::copy(octets, octets + 4, address.bytes);
        return true;
    }
    // Resolvers read "10.1" or "10.0.0.256" their own ways; digits and dots are only ever
    // a dotted address here, the same on every platform.
    const bool digitsAndDots = host.find_first_not_of("0123456789.") == std::string::npos;
    return !host.empty() && !digitsAndDots && LookUpHost(host.c_str(), address);
}

std::string NoAnswerText(const std::string& host, std::uint16_t port, int waitMilliseconds, int tries)
{
    std::string seconds = std::to_string(waitMilliseconds / 1000);
    if (const int thousandths = waitMilliseconds % 1000) {
        std::string fraction = std::to_string(1000 + thousandths).substr(1);
        fraction.erase(fraction.find_last_not_of('0') + 1);
        seconds += "." + fraction;
    }
    return "no answer from " + host + " port " + std::to_string(port) + " after " + std::to_string(tries) +
           (tries == 1 ? " try" : " tries") + " of " + seconds + " s";
}
