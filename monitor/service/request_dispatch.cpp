#include "request_dispatch.h"

#include "drive_report.h"

RequestAction DispatchRequest(const std::uint8_t* datagram, int length, bool fromLoopback,
                              const DriveRecord (&table)[kMaxDrives], RequestReply& reply)
{
    reply.length = 0;
    if (length != 1) {
        return RequestAction::Ignore;
    }
    switch (datagram[0]) {
    case kEchoCommand:
        reply.bytes[0] = kEchoCommand;
        reply.length = 1;
        return RequestAction::Reply;
    case kReportCommand:
        BuildDriveReport(table, reply.bytes);
        reply.length = static_cast<int>(kReportBytes);
        return RequestAction::Reply;
    case kStopCommand:
        return fromLoopback ? RequestAction::Stop : RequestAction::Ignore;
    default:
        return RequestAction::UnknownCommand;
    }
}
