// Request datagrams through the server's dispatch, without sockets. The first input byte
// picks the sender (bit 0: loopback), the rest is the datagram. Whatever arrives, the
// server answers only one-byte requests, stops only on a loopback 0x10, and its reply
// fits the report.
#include "drive_table.h"
#include "request_dispatch.h"

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

const DriveState& Drives()
{
    static const std::unique_ptr<DriveState> state = [] {
        auto s = std::make_unique<DriveState>();
        s->table[5].present = 1;
        s->table[5].currentTemperature = 41;
        s->table[5].worstTemperature = 52;
        std::memset(s->table[5].model, 'M', sizeof s->table[5].model);  // unterminated on purpose
        std::strcpy(s->table[5].firmware, "05.01C05");
        std::strcpy(s->table[5].serial, "WD-WMAM9A123456");
        return s;
    }();
    return *state;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    const bool fromLoopback = (data[0] & 1) != 0;
    const std::uint8_t* datagram = data + 1;
    const int length = static_cast<int>(size - 1);

    static RequestReply reply;
    const RequestAction action = DispatchRequest(datagram, length, fromLoopback, Drives().table, reply);

    if (length != 1 && (action != RequestAction::Ignore || reply.length != 0)) {
        std::abort();
    }
    if (action == RequestAction::Stop && !(fromLoopback && datagram[0] == 0x10)) {
        std::abort();
    }
    if (reply.length < 0 || reply.length > static_cast<int>(kReportBytes) ||
        (action != RequestAction::Reply && reply.length != 0)) {
        std::abort();
    }
    if (action == RequestAction::Reply && reply.length == static_cast<int>(kReportBytes)) {
        // Every string of the report ends inside its field.
        const std::uint8_t* record = reply.bytes + 5 * kDriveReportBytes;
        if (record[8 + 63] != 0 || record[72 + 15] != 0 || record[88 + 31] != 0) {
            std::abort();
        }
    }
    return 0;
}
