#include "host_text.h"

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

}  // namespace
