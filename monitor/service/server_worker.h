// The worker thread of the temperature service: answers queries on one UDP port until a
// stop command arrives from this machine.
#pragma once

#include "drive_table.h"
#include "request_gate.h"

#include <cstdint>

class UnknownCommandNotice;
class VerdictBoard;

// Runs on its own thread. Reads the drive table live, without a lock: only single bytes
// and fixed-width texts are read. Unknown commands go to the notice, which never blocks.
// Senders outside the rules' allowed list get nothing (not even the notice), answers go
// out within the rules' rate limits; the stop command from this machine always counts.
// The verdict request is answered from `verdicts` (may be null: not answered).
void ServeQueries(std::uint32_t port, const DriveRecord (&table)[kMaxDrives], UnknownCommandNotice& notice,
                  AccessRules rules, RefusedRequests& refused, const VerdictBoard* verdicts);
