// One exchange with the monitor's server, and the poll that turns its report into the
// drive icons.
#pragma once

#include "startup_polls.h"

#include <cstdint>

constexpr int kNoReply = 0;
constexpr int kRefused = -1;

// Sends the command byte to host:port and waits up to waitMs for one datagram of up to
// length bytes. Its byte count when a reply arrived; kRefused when the host refused the
// datagram; kNoReply otherwise (open and send failures show their message, a time-out
// shows nothing).
int Query(const char* host, std::uint32_t port, std::uint8_t command, char* buffer, int length, std::uint32_t waitMs);
// The same with a request of several bytes.
int QueryBytes(const char* host, std::uint32_t port, const char* request, int requestLength, char* buffer, int length,
               std::uint32_t waitMs);

// Asks the watched host for its report, then for its verdicts (each drive's kind, own
// warning temperature and health; an old server does not answer that request, and its
// drives are then coloured by PELITO's own warning temperature as before), and updates
// the icons of the drives it reports.
// Answered when the report arrived; anything else leaves every icon as it was.
PollOutcome Poll();
