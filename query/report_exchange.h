// Asking one host for its drive report over UDP: a few tries, each waiting a while, so
// that a host that is down or one lost datagram cannot leave the caller waiting for ever.
#pragma once

#include "query_protocol.h"
#include "query_socket.h"

#include <cstdint>
#include <string>

enum class ExchangeFault { None, Socket, Send, Receive, NoAnswer };

struct ExchangeResult {
    ExchangeFault fault = ExchangeFault::None;
    int length = 0;  // bytes of the answer that arrived
};

// Sends the report command, waits waitMilliseconds (0: without limit) for the answer and
// sends again, up to tries times in all. An answer to an earlier try that arrives during a
// later one is taken. The report is cleared first: records that do not arrive read as
// absent.
ExchangeResult AskForReport(const QueryAddress& address, std::uint16_t port, int waitMilliseconds, int tries,
                            std::uint8_t (&report)[kReportBytes]);

// A dotted IPv4 address as it is, or else what the platform's resolver finds for the name.
bool ResolveQueryHost(const std::string& host, QueryAddress& address);

// "no answer from <host> port <port> after 3 tries of 2 s": the text for ExchangeFault::NoAnswer.
std::string NoAnswerText(const std::string& host, std::uint16_t port, int waitMilliseconds, int tries);
