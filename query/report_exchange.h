// Asking hosts for their drive reports over UDP, many at once: each host gets a few tries,
// each waiting a while, so that a host that is down or one lost datagram cannot leave the
// caller waiting for ever, and a host that is down costs the others nothing.
#pragma once

#include "host_outcome.h"
#include "query_socket.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

struct SweepPlan {
    AskingPlan asking;
    int hostsInFlight = 1;  // at most kMostWaitedSockets; 1 asks one host after the other
    // Also asks each host for its drives' verdicts (own limits, health): servers that
    // know the request answer it; older ones ignore it, and their drives stay unknown.
    bool askVerdicts = false;
};

// Called once per host, in the order given, as soon as that host and every host before
// it are done.
using HostDone = std::function<void(std::size_t index, const HostOutcome& outcome)>;

// Asks every host at once, up to hostsInFlight of them at a time. For each: sends the
// report command, waits waitMilliseconds (0: without limit) for the answer and sends
// again, up to tries times in all; an answer to an earlier try that arrives during a later
// one is taken, and a refusal starts the next try at once. With askVerdicts a host whose
// report is in gets a moment more for its verdicts. When the total time runs out,
// every host not done is OutOfTime. Names are looked up as their hosts' turns come.
std::vector<HostOutcome> SweepHosts(const std::vector<std::string>& hosts, const SweepPlan& plan,
                                    const HostDone& done);

// A dotted IPv4 address as it is, or else what the platform's resolver finds for the name.
bool ResolveQueryHost(const std::string& host, QueryAddress& address);
