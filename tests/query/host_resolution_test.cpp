// Which address tempquery asks for a host: dotted addresses as they are, names through
// the system resolver with IPv4 first, and nothing for texts that only look like numbers.
#include "report_exchange.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(HostResolutionTest, AddressesForHosts)
{
    struct ResolutionCase {
        std::string host;
        bool found;
        bool ipv6;
        std::vector<int> bytes;  // the first bytes of the address
    };
    const ResolutionCase cases[] = {
        {"192.168.0.10", true, false, {192, 168, 0, 10}},
        {"0.0.0.0", true, false, {0, 0, 0, 0}},
        // /etc/hosts may list ::1 for localhost first; the monitor listens on IPv4.
        {"localhost", true, false, {127, 0, 0, 1}},
        {"::1", true, true, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}},
        {"fe80::2", true, true, {0xfe, 0x80, 0, 0}},
        {"127.1", false, false, {}},
        {"10.0.0.256", false, false, {}},
        {"1.2.3.4.", false, false, {}},
        {"", false, false, {}},
    };
    for (const ResolutionCase& c : cases) {
        SCOPED_TRACE(c.host);
        QueryAddress address;
        address.bytes[0] = 0xAA;
        ASSERT_EQ(ResolveQueryHost(c.host, address), c.found);
        if (!c.found) {
            continue;
        }
        EXPECT_EQ(address.ipv6, c.ipv6);
        for (std::size_t i = 0; i < c.bytes.size(); ++i) {
            EXPECT_EQ(address.bytes[i], c.bytes[i]) << "byte " << i;
        }
    }
}

TEST(HostResolutionTest, EveryProblemNamesHostAndPort)
{
    struct ProblemCase {
        HostState state;
        SocketCall call;
        AskingPlan plan;  // port, wait, tries, total
        std::string text;
    };
    const ProblemCase cases[] = {
        {HostState::TimedOut, SocketCall::None, {10008, 2000, 3, 0}, "no answer from h port 10008 after 3 tries of 2 s"},
        {HostState::TimedOut, SocketCall::None, {1, 250, 1, 0}, "no answer from h port 1 after 1 try of 0.25 s"},
        {HostState::TimedOut, SocketCall::None, {1, 1005, 2, 0}, "no answer from h port 1 after 2 tries of 1.005 s"},
        {HostState::TimedOut, SocketCall::None, {1, 3600000, 100, 0}, "no answer from h port 1 after 100 tries of 3600 s"},
        {HostState::OutOfTime, SocketCall::None, {1, 2000, 3, 1500}, "no answer from h port 1 within the total time of 1.5 s"},
        {HostState::Refused, SocketCall::None, {7, 2000, 3, 0}, "nobody listens on h port 7 (the host refused the query)"},
        {HostState::NotFound, SocketCall::None, {7, 2000, 3, 0}, "cannot find host \"h\""},
        {HostState::SocketFault, SocketCall::Send, {7, 2000, 3, 0}, "sendto() error for h port 7"},
        {HostState::Answered, SocketCall::None, {7, 2000, 3, 0}, ""},
    };
    for (const ProblemCase& c : cases) {
        HostOutcome outcome;
        outcome.state = c.state;
        outcome.failedCall = c.call;
        EXPECT_EQ(HostProblem("h", outcome, c.plan), c.text);
    }
}

} // namespace
