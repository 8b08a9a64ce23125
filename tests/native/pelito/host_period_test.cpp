#include "host_text.h"
#include "poll_period.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct HostCase {
    const char* commandLine;
    std::string host;
};

TEST(HostFromCommandLine, Table)
{
    const HostCase cases[] = {
        {"", "127.0.0.1"},
        {nullptr, "127.0.0.1"},
        {"   \t ", "127.0.0.1"},
        {"192.168.1.20", "192.168.1.20"},
        {"  server01 ", "server01"},
        {"\tnas.local\r\n", "nas.local"},
        {"two words", "two words"},  // the whole command line, blanks inside kept
        {"\"nas.local\"", "nas.local"},
        {"  \" 127.0.0.1 \" ", "127.0.0.1"},
        {"\"\"", "127.0.0.1"},
        {"\"", "\""},
        {"\"a\" \"b\"", "a\" \"b"},  // only the outer pair
    };
    for (const HostCase& c : cases) {
        char host[kHostTextSize];
        std::memset(host, 'x', sizeof host);
        HostFromCommandLine(c.commandLine, host);
        EXPECT_EQ(host, c.host) << (c.commandLine ? c.commandLine : "(null)");
    }
}

TEST(HostFromCommandLine, LongCommandLinesAreCutTo255BytesOnACharacterBoundary)
{
    char host[kHostTextSize];
    const std::string plain(1000, 'a');
    HostFromCommandLine(plain.c_str(), host);
    EXPECT_EQ(std::string(host), std::string(255, 'a'));

    // 254 single bytes, then a double-byte character that would end at byte 256.
    const std::string split = std::string(254, 'b') + "\x83\x41" + "tail";
    HostFromCommandLine(split.c_str(), host);
    EXPECT_EQ(std::string(host), std::string(254, 'b'));

    // Leading blanks do not count against the limit.
    const std::string padded = std::string(300, ' ') + std::string(255, 'c') + "   ";
    HostFromCommandLine(padded.c_str(), host);
    EXPECT_EQ(std::string(host), std::string(255, 'c'));
}

struct PeriodCase {
    std::uint32_t seconds;
    std::uint32_t ms;
};

TEST(PollPeriodMs, Table)
{
    const PeriodCase cases[] = {
        {60, 60000},
        {30, 30000},
        {3600, 3600000},
        {0, 1000},                    // never a timer that fires without pause
        {2147483, 2147483000u},
        {2147484, 0x7FFFFFFFu},       // the product would pass the timer's limit
        {4294968, 0x7FFFFFFFu},       // x1000 would wrap around to a short period
        {0xFFFFFFFFu, 0x7FFFFFFFu},
    };
    for (const PeriodCase& c : cases) {
        EXPECT_EQ(PollPeriodMs(c.seconds), c.ms) << c.seconds;
    }
}

}  // namespace

namespace {

TEST(ReplyWaitMs, NeverZeroWhichWouldWaitWithoutLimit)
{
    const PeriodCase cases[] = {{3, 3000}, {1, 1000}, {0, 1000}, {4294968, 0x7FFFFFFFu}};
    for (const PeriodCase& c : cases) {
        EXPECT_EQ(ReplyWaitMs(c.seconds), c.ms) << c.seconds;
    }
}

}  // namespace
