#include "host_outcome.h"

#include "host_list.h"

namespace {

// "2", "0.25": milliseconds as the seconds they were given in.
std::string SecondsText(int milliseconds)
{
    std::string seconds = std::to_string(milliseconds / 1000);
    if (const int thousandths = milliseconds % 1000) {
        std::string fraction = std::to_string(1000 + thousandths).substr(1);
        fraction.erase(fraction.find_last_not_of('0') + 1);
        seconds += "." + fraction;
    }
    return seconds;
}

} // namespace

const char* HostStateName(HostState state)
{
    switch (state) {
    case HostState::Answered:
        return "answered";
    case HostState::NotFound:
        return "not-found";
    case HostState::Refused:
        return "refused";
    case HostState::TimedOut:
        return "timeout";
    case HostState::OutOfTime:
        return "out-of-time";
    case HostState::ProtocolError:
        return "protocol-error";
    case HostState::SocketFault:
        break;
    }
    return "socket-error";
}

const char* SocketCallText(SocketCall call)
{
    switch (call) {
    case SocketCall::Socket:
        return "socket() error";
    case SocketCall::Send:
        return "sendto() error";
    case SocketCall::Receive:
        return "recvfrom() error";
    case SocketCall::None:
        break;
    }
    return "";
}

std::string HostProblem(const std::string& host, const HostOutcome& outcome, const AskingPlan& plan)
{
    std::string name;
    std::uint16_t port = plan.port;
    SplitHostPort(host, plan.port, name, port);
    const std::string where = name + " port " + std::to_string(port);
    switch (outcome.state) {
    case HostState::Answered:
        return std::string();
    case HostState::NotFound:
        return SplitHostPort(host, plan.port, name, port) ? "cannot find host \"" + name + "\""
                                                          : "\"" + host + "\" has a port that is not 1 to 65535";
    case HostState::Refused:
        return "nobody listens on " + where + " (the host refused the query)";
    case HostState::TimedOut:
        return "no answer from " + where + " after " + std::to_string(plan.tries) +
               (plan.tries == 1 ? " try" : " tries") + " of " + SecondsText(plan.waitMilliseconds) + " s";
    case HostState::OutOfTime:
        return "no answer from " + where + " within the total time of " + SecondsText(plan.totalMilliseconds) + " s";
    case HostState::ProtocolError:
        return "malformed report from " + where + ": " + outcome.fault;
    case HostState::SocketFault:
        break;
    }
    return std::string(SocketCallText(outcome.failedCall)) + " for " + where;
}

std::string StrayNote(const HostOutcome& outcome)
{
    if (outcome.strays == 0) {
        return std::string();
    }
    return "dropped " + std::to_string(outcome.strays) + (outcome.strays == 1 ? " datagram" : " datagrams") +
           " from other senders than the host asked, " + (outcome.strays == 1 ? "" : "the first ") + "from " +
           outcome.firstStray;
}
