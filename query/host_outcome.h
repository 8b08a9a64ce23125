// What asking one host came to: its state, and the report when it answered.
#pragma once

#include "drive_verdict.h"
#include "query_protocol.h"

#include <cstdint>
#include <string>

enum class HostState : std::uint8_t {
    Answered,
    NotFound,     // the name is not found
    Refused,      // the host said nobody listens on the port, and never answered
    TimedOut,     // no answer after every try
    OutOfTime,    // the sweep's total time ran out before the host answered
    SocketFault,  // socket(), sendto() or recvfrom() failed here
    ProtocolError,  // the host answered with something that is not a drive report
};

enum class SocketCall : std::uint8_t { None, Socket, Send, Receive };

// What a server that tells its verdicts says of one drive; known stays false for servers
// that do not.
struct DriveHealthView {
    bool known = false;
    int warningTemperature = 0;  // the drive's own limit, degrees Celsius; 0: none
    TemperatureState temperature = TemperatureState::Unknown;  // hot: above that limit
    HealthState health = HealthState::Unknown;
    std::string reason;  // the worst reason, in English; empty for none
    bool asleep = false;  // left asleep: the temperature is its last
    // While temperature is NotAnswering: since when, seconds since 1970 UTC (0: not told).
    std::int64_t notAnsweringSince = 0;
};

struct HostOutcome {
    HostState state = HostState::TimedOut;
    SocketCall failedCall = SocketCall::None;  // for SocketFault
    int length = 0;                            // bytes of the answer that arrived
    std::string fault;                         // for ProtocolError: what is wrong with the answer
    // Datagrams that came from another address or port than the one asked, and were
    // dropped; the first one's sender ("127.0.0.9 port 4000").
    int strays = 0;
    std::string firstStray;
    // The answer; records that did not arrive read as absent.
    std::uint8_t report[kReportBytes] = {};
    DriveHealthView health[kReportRecords];  // by slot
};

// How the hosts were asked: the words of the failure texts.
struct AskingPlan {
    std::uint16_t port = 0;
    int waitMilliseconds = 0;  // per try; 0: without limit
    int tries = 1;
    int totalMilliseconds = 0;  // for the whole sweep; 0: none
};

// "answered", "not-found", "refused", "timeout", "out-of-time", "socket-error",
// "protocol-error": the state as JSON carries it.
const char* HostStateName(HostState state);

// Why a host gave no report, in one sentence without a full stop ("no answer from nas
// port 10008 after 3 tries of 2 s"); empty for a host that answered.
std::string HostProblem(const std::string& host, const HostOutcome& outcome, const AskingPlan& plan);

// What was dropped while asking a host ("dropped 2 datagrams from other senders than the
// host asked, the first from 10.0.0.9 port 4000"); empty when nothing was.
std::string StrayNote(const HostOutcome& outcome);

// The socket call that failed, as tempquery has always printed it ("socket() error").
const char* SocketCallText(SocketCall call);
