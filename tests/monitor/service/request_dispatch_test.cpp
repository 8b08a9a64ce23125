// The server's decision for one received datagram.
#include "drive_fixture.h"
#include "drive_report.h"
#include "request_dispatch.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct DispatchCase {
    const char* name;
    std::vector<std::uint8_t> datagram;
    bool fromLoopback;
    RequestAction action;
    int replyLength;
};

TEST(RequestDispatchTest, DecidesEveryKindOfDatagram)
{
    const DispatchCase cases[] = {
        {"echo", {0x00}, false, RequestAction::Reply, 1},
        {"report", {0x01}, false, RequestAction::Reply, 1920},
        {"stop from loopback", {0x10}, true, RequestAction::Stop, 0},
        {"stop from another host", {0x10}, false, RequestAction::Ignore, 0},
        {"unknown 0x02", {0x02}, true, RequestAction::UnknownCommand, 0},
        {"unknown 0x11", {0x11}, false, RequestAction::UnknownCommand, 0},
        {"unknown 0xFF", {0xFF}, false, RequestAction::UnknownCommand, 0},
        {"empty", {}, true, RequestAction::Ignore, 0},
        {"two bytes", {0x01, 0x01}, true, RequestAction::Ignore, 0},
        {"stop plus a byte", {0x10, 0x00}, true, RequestAction::Ignore, 0},
        {"report-sized", std::vector<std::uint8_t>(1920, 0x01), true, RequestAction::Ignore, 0},
    };
    const auto state = MakeDriveState({{3, 41, 52, "WDC WD800JB-00JJC0", "05.01C05", "WD-WMAM9A123456"}});
    for (const DispatchCase& c : cases) {
        SCOPED_TRACE(c.name);
        RequestReply reply;
        reply.length = -7;
        EXPECT_EQ(DispatchRequest(c.datagram.data(), static_cast<int>(c.datagram.size()), c.fromLoopback,
                                  state->table, reply),
                  c.action);
        EXPECT_EQ(reply.length, c.replyLength);
    }
}

TEST(RequestDispatchTest, EchoSendsTheCommandByteAndReportSendsTheDriveReport)
{
    const auto state = MakeDriveState({{3, 41, 52, "WDC WD800JB-00JJC0", "05.01C05", "WD-WMAM9A123456"}});
    RequestReply reply;
    const std::uint8_t echo = 0x00;
    ASSERT_EQ(DispatchRequest(&echo, 1, false, state->table, reply), RequestAction::Reply);
    EXPECT_EQ(reply.bytes[0], 0x00);

    const std::uint8_t report = 0x01;
    ASSERT_EQ(DispatchRequest(&report, 1, false, state->table, reply), RequestAction::Reply);
    std::uint8_t expected[kReportBytes];
    BuildDriveReport(state->table, expected);
    EXPECT_EQ(std::vector<std::uint8_t>(reply.bytes, reply.bytes + 1920),
              std::vector<std::uint8_t>(expected, expected + 1920));
}

// The verdict request: answered once verdicts are published, silent before and without,
// as an old server is; a one-byte 0x02 stays an unknown command.
TEST(RequestDispatchTest, TheTwoByteVerdictRequestIsAnsweredFromTheBoard)
{
    const auto state = MakeDriveState({{3, 41, 52, "WDC WD800JB-00JJC0", "05.01C05", "WD-WMAM9A123456"}});
    RequestReply reply;
    std::uint8_t request[kVerdictRequestBytes];
    WriteVerdictRequest(request);
    EXPECT_EQ(DispatchRequest(request, 2, false, state->table, reply), RequestAction::Ignore);
    VerdictBoard board;
    EXPECT_EQ(DispatchRequest(request, 2, false, state->table, reply, &board), RequestAction::Ignore);
    VerdictReport published;
    published.drives[3] = {1, 1, 2, 80, 2, 1, 0, 4, 2, 0, 0, 1, 4};
    board.Publish(published);
    ASSERT_EQ(DispatchRequest(request, 2, false, state->table, reply, &board), RequestAction::Reply);
    ASSERT_EQ(reply.length, static_cast<int>(kVerdictReportBytes));
    VerdictReport read;
    ASSERT_TRUE(ParseVerdictReport(reply.bytes, static_cast<std::size_t>(reply.length), read));
    EXPECT_EQ(read.drives[3].warningTemperature, 80);
    EXPECT_EQ(read.drives[3].health, 2);
    EXPECT_EQ(DispatchRequest(request, 1, false, state->table, reply, &board), RequestAction::UnknownCommand);
}

} // namespace
