#include "report_exchange.h"

#include "dotted_address.h"
#include "host_list.h"
#include "report_shape.h"
#include "verdict_report.h"
#include "verdict_view.h"

#include <algorithm>
#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

bool SameSource(const DatagramSource& source, const QueryAddress& address, std::uint16_t port)
{
    const int bytes = address.ipv6 ? 16 : 4;
    return source.port == port && source.address.ipv6 == address.ipv6 &&
           std::equal(address.bytes, address.bytes + bytes, source.address.bytes);
}

// "10.0.0.9 port 4000", "[fe80:0:0:0:0:0:0:1] port 4000"
std::string SourceText(const DatagramSource& source)
{
    std::string text;
    if (source.address.ipv6) {
        static const char kHex[] = "0123456789abcdef";
        text = "[";
        for (int group = 0; group < 8; ++group) {
            const unsigned value = source.address.bytes[2 * group] << 8 | source.address.bytes[2 * group + 1];
            std::string digits;
            for (unsigned v = value; v != 0 || digits.empty(); v >>= 4) {
                digits.insert(digits.begin(), kHex[v & 15]);
            }
            text += (group == 0 ? "" : ":") + digits;
        }
        text += "]";
    } else {
        for (int i = 0; i < 4; ++i) {
            text += (i == 0 ? "" : ".") + std::to_string(source.address.bytes[i]);
        }
    }
    return text + " port " + std::to_string(source.port);
}

// How long a host whose report is in may still take for its verdicts: a server that tells
// them answers both at once; an old one never will.
constexpr auto kVerdictGrace = std::chrono::milliseconds(200);

// One host being asked: its socket is open from its first try until it is done.
struct Flight {
    std::size_t index = 0;
    QueryAddress address;
    std::uint16_t port = 0;  // the entry's own ("nas:10010"), or the plan's
    QuerySocket socket = kNoQuerySocket;
    int triesSent = 0;
    bool refused = false;
    Clock::time_point deadline;  // of the current try
    bool reportIn = false;
    bool verdictsIn = false;
    Clock::time_point graceEnd;  // once the report is in: how long the verdicts may take
    bool done = false;
};

class Sweep {
public:
    Sweep(const std::vector<std::string>& hosts, const SweepPlan& plan, const HostDone& done)
        : hosts_(hosts), plan_(plan), done_(done), outcomes_(hosts.size()), finished_(hosts.size(), false)
    {
        const AskingPlan& a = plan_.asking;
        unlimited_ = a.waitMilliseconds == 0;
        tries_ = unlimited_ ? 1 : std::max(a.tries, 1);
        inFlight_ = std::min(std::max(plan_.hostsInFlight, 1), kMostWaitedSockets);
        start_ = Clock::now();
        hasEnd_ = a.totalMilliseconds > 0;
        end_ = start_ + std::chrono::milliseconds(a.totalMilliseconds);
    }

    std::vector<HostOutcome> Run()
    {
        std::size_t next = 0;
        for (;;) {
            while (flights_.size() < static_cast<std::size_t>(inFlight_) && next < hosts_.size() && !OutOfTime()) {
                Launch(next++);
            }
            if (flights_.empty() && next >= hosts_.size()) {
                break;
            }
            if (OutOfTime()) {
                for (Flight& flight : flights_) {
                    Finish(flight, flight.reportIn ? HostState::Answered : HostState::OutOfTime);
                }
                while (next < hosts_.size()) {
                    Record(next++, HostState::OutOfTime);
                }
                break;
            }
            if (!WaitAndReceive()) {
                while (next < hosts_.size()) {
                    outcomes_[next].failedCall = SocketCall::Receive;
                    Record(next++, HostState::SocketFault);
                }
                break;
            }
            const Clock::time_point now = Clock::now();
            for (Flight& flight : flights_) {
                if (!flight.done && flight.reportIn && now >= flight.graceEnd) {
                    Finish(flight, HostState::Answered);
                } else if (!flight.done && !flight.reportIn && !unlimited_ && now >= flight.deadline) {
                    SendTry(flight);
                }
            }
            Land();
        }
        return std::move(outcomes_);
    }

private:
    bool OutOfTime() const { return hasEnd_ && Clock::now() >= end_; }

    void Launch(std::size_t index)
    {
        Flight flight;
        flight.index = index;
        std::string name;
        if (!SplitHostPort(hosts_[index], plan_.asking.port, name, flight.port) ||
            !ResolveQueryHost(name, flight.address)) {
            Record(index, HostState::NotFound);
            return;
        }
        flight.socket = OpenDatagramSocket(flight.address);
        if (flight.socket == kNoQuerySocket) {
            outcomes_[index].failedCall = SocketCall::Socket;
            Record(index, HostState::SocketFault);
            return;
        }
        SendTry(flight);
        if (flight.done) {
            return;
        }
        flights_.push_back(flight);
    }

    // The next try, or the end of the host when it has had them all. The verdict request
    // goes first, so that a server that answers both has sent the verdicts when the
    // report arrives.
    void SendTry(Flight& flight)
    {
        const std::uint8_t command = kReportCommand;
        while (!flight.done) {
            if (flight.triesSent >= tries_) {
                Finish(flight, flight.refused ? HostState::Refused : HostState::TimedOut);
                return;
            }
            ++flight.triesSent;
            if (plan_.askVerdicts && !flight.verdictsIn) {
                std::uint8_t request[kVerdictRequestBytes];
                const int length = static_cast<int>(WriteVerdictRequest(request));
                const int sent = SendDatagram(flight.socket, flight.address, flight.port, request, length);
                if (sent == kRefused) {
                    flight.refused = true;
                    continue;
                }
                if (sent != length && sent != kNoDatagram) {
                    outcomes_[flight.index].failedCall = SocketCall::Send;
                    Finish(flight, HostState::SocketFault);
                    return;
                }
            }
            const int sent = SendDatagram(flight.socket, flight.address, flight.port, &command, 1);
            if (sent == kRefused) {
                flight.refused = true;  // nobody listens there now; perhaps by the next try
                continue;
            }
            if (sent != 1 && sent != kNoDatagram) {
                outcomes_[flight.index].failedCall = SocketCall::Send;
                Finish(flight, HostState::SocketFault);
                return;
            }
            flight.deadline = Clock::now() + std::chrono::milliseconds(plan_.asking.waitMilliseconds);
            return;
        }
    }

    // Waits until the first try's deadline, the sweep's end or an arrival, and takes what
    // arrived. False when the wait itself failed (every host in flight then fails).
    bool WaitAndReceive()
    {
        const Clock::time_point now = Clock::now();
        long long wait = -1;
        const auto until = [&](Clock::time_point at) {
            const long long left =
                std::max<long long>(0, std::chrono::ceil<std::chrono::milliseconds>(at - now).count());
            wait = wait < 0 ? left : std::min(wait, left);
        };
        if (hasEnd_) {
            until(end_);
        }
        QuerySocket sockets[kMostWaitedSockets];
        bool ready[kMostWaitedSockets] = {};
        const int count = static_cast<int>(flights_.size());
        for (int i = 0; i < count; ++i) {
            sockets[i] = flights_[i].socket;
            if (flights_[i].reportIn) {
                until(flights_[i].graceEnd);
            } else if (!unlimited_) {
                until(flights_[i].deadline);
            }
        }
        const int found = WaitForDatagrams(sockets, count, static_cast<int>(std::min<long long>(wait, 1 << 30)), ready);
        if (found < 0) {
            for (Flight& flight : flights_) {
                outcomes_[flight.index].failedCall = SocketCall::Receive;
                Finish(flight, HostState::SocketFault);
            }
            Land();
            return false;
        }
        for (int i = 0; i < count; ++i) {
            if (ready[i]) {
                Receive(flights_[i]);
            }
        }
        return true;
    }

    void Receive(Flight& flight)
    {
        HostOutcome& outcome = outcomes_[flight.index];
        std::uint8_t datagram[kReportBytes] = {};
        DatagramSource source;
        const int received = ReceiveDatagram(flight.socket, datagram, static_cast<int>(kReportBytes), source);
        if (received == kNoDatagram) {
            return;
        }
        if (received == kRefused) {
            if (!flight.reportIn) {
                flight.refused = true;
                SendTry(flight);
            }
            return;
        }
        if (received < 0 && received != kTooLong) {
            outcome = HostOutcome();
            outcome.failedCall = SocketCall::Receive;
            Finish(flight, HostState::SocketFault);
            return;
        }
        // Anyone may send to the port we ask from: only the host and port asked answer.
        if (!SameSource(source, flight.address, flight.port)) {
            if (outcome.strays++ == 0) {
                outcome.firstStray = SourceText(source);
            }
            return;
        }
        VerdictReport verdicts;
        if (received >= 0 && plan_.askVerdicts &&
            ParseVerdictReport(datagram, static_cast<std::size_t>(received), verdicts)) {
            ApplyVerdicts(verdicts, outcome.health);
            flight.verdictsIn = true;
        } else if (!flight.reportIn) {
            outcome.fault = received == kTooLong ? "an answer longer than " + std::to_string(kReportBytes) + " bytes"
                                                 : ReportShapeFault(datagram, received);
            if (!outcome.fault.empty()) {
                Finish(flight, HostState::ProtocolError);
                return;
            }
            std::copy(datagram, datagram + kReportBytes, outcome.report);
            outcome.length = received;
            flight.reportIn = true;
            flight.graceEnd = Clock::now() + kVerdictGrace;
        }
        if (flight.reportIn && (flight.verdictsIn || !plan_.askVerdicts)) {
            Finish(flight, HostState::Answered);
        }
    }

    void Finish(Flight& flight, HostState state)
    {
        if (flight.done) {
            return;
        }
        flight.done = true;
        CloseDatagramSocket(flight.socket);
        flight.socket = kNoQuerySocket;
        Record(flight.index, state);
    }

    // Drops the flights that are done.
    void Land()
    {
        flights_.erase(std::remove_if(flights_.begin(), flights_.end(), [](const Flight& f) { return f.done; }),
                       flights_.end());
    }

    void Record(std::size_t index, HostState state)
    {
        outcomes_[index].state = state;
        finished_[index] = true;
        while (told_ < hosts_.size() && finished_[told_]) {
            if (done_) {
                done_(told_, outcomes_[told_]);
            }
            ++told_;
        }
    }

    const std::vector<std::string>& hosts_;
    const SweepPlan plan_;
    const HostDone& done_;
    std::vector<HostOutcome> outcomes_;
    std::vector<bool> finished_;
    std::vector<Flight> flights_;
    std::size_t told_ = 0;
    bool unlimited_ = false;
    int tries_ = 1;
    int inFlight_ = 1;
    bool hasEnd_ = false;
    Clock::time_point start_;
    Clock::time_point end_;
};

} // namespace

std::vector<HostOutcome> SweepHosts(const std::vector<std::string>& hosts, const SweepPlan& plan,
                                    const HostDone& done)
{
    return Sweep(hosts, plan, done).Run();
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
