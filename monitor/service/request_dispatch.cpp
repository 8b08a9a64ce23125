#include "request_dispatch.h"

#include "drive_report.h"

RequestAction DispatchRequest(const std::uint8_t* datagram, int length, bool fromLoopback,
                              const DriveRecord (&table)[kMaxDrives], RequestReply& reply,
                              const VerdictBoard* verdicts)
{
    reply.length = 0;
    if (length == static_cast<int>(kVerdictRequestBytes) && IsVerdictRequest(datagram, kVerdictRequestBytes)) {
        VerdictReport report;
        if (verdicts == nullptr || !verdicts->Copy(report)) {
            return RequestAction::Ignore;
        }
        std::uint8_t (&bytes)[kVerdictReportBytes] = *reinterpret_cast<std::uint8_t(*)[kVerdictReportBytes]>(reply.bytes);
        reply.length = static_cast<int>(EncodeVerdictReport(report, bytes));
        return RequestAction::Reply;
    }
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
