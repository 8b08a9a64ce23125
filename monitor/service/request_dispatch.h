// What the server does with one received datagram, decided without sockets.
#pragma once

#include "drive_table.h"
#include "query_protocol.h"
#include "verdict_board.h"

#include <cstdint>

enum class RequestAction {
    Ignore,          // no answer, no notice
    Reply,           // send the reply bytes to the sender
    Stop,            // leave the serving loop
    UnknownCommand,  // no answer; show the unknown-command notice
};

struct RequestReply {
    std::uint8_t bytes[kReportBytes];
    static_assert(kVerdictReportBytes <= kReportBytes, "the verdict reply fits the reply buffer");
    int length;
};

// A request is one byte, or the two-byte verdict request (answered from `verdicts` once
// published; ignored without). The stop command counts only from a loopback sender:
// the monitor sends it to itself, and nobody else may end the service.
RequestAction DispatchRequest(const std::uint8_t* datagram, int length, bool fromLoopback,
                              const DriveRecord (&table)[kMaxDrives], RequestReply& reply,
                              const VerdictBoard* verdicts = nullptr);
