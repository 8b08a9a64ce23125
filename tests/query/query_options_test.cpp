// tempquery's command line: every option, its forms and its limits.
#include "query_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

ParsedOptions Parse(std::vector<const char*> words, const char* portVariable = nullptr)
{
    words.insert(words.begin(), "tempquery");
    return ParseQueryOptions(static_cast<int>(words.size()), words.data(), portVariable);
}

struct GoodCase {
    std::vector<const char*> words;
    const char* portVariable;
    std::vector<std::string> hosts;
    int port;
    int waitMilliseconds;
    int tries;
    QueryOutput output;
    int warning;
    int critical;
};

TEST(QueryOptionsTest, GoodCommandLines)
{
    const auto lines = QueryOutput::Lines;
    const auto json = QueryOutput::Json;
    const auto check = QueryOutput::Check;
    const GoodCase cases[] = {
        {{"192.168.0.10"}, nullptr, {"192.168.0.10"}, 10008, 2000, 3, lines, -1, -1},
        {{"nas.local", "pc2", "::1"}, nullptr, {"nas.local", "pc2", "::1"}, 10008, 2000, 3, lines, -1, -1},
        {{"nas"}, "10010", {"nas"}, 10010, 2000, 3, lines, -1, -1},
        {{"-p", "2000", "nas"}, "10010", {"nas"}, 2000, 2000, 3, lines, -1, -1},
        {{"nas", "--port=65535"}, "not a port", {"nas"}, 65535, 2000, 3, lines, -1, -1},
        {{"-p1", "nas"}, nullptr, {"nas"}, 1, 2000, 3, lines, -1, -1},
        {{"-t", "0.5", "-r", "7", "nas"}, nullptr, {"nas"}, 10008, 500, 7, lines, -1, -1},
        {{"--timeout=1.25", "--tries", "1", "nas"}, nullptr, {"nas"}, 10008, 1250, 1, lines, -1, -1},
        {{"-t", "3600", "nas"}, nullptr, {"nas"}, 10008, 3600000, 3, lines, -1, -1},
        {{"-t", "0.001", "nas"}, nullptr, {"nas"}, 10008, 1, 3, lines, -1, -1},
        {{"-t", "0", "-r", "5", "nas"}, nullptr, {"nas"}, 10008, 0, 1, lines, -1, -1},
        {{"--json", "a", "b"}, nullptr, {"a", "b"}, 10008, 2000, 3, json, -1, -1},
        {{"--check", "-w", "50", "-c", "60", "nas"}, nullptr, {"nas"}, 10008, 2000, 3, check, 50, 60},
        {{"--check", "--critical=0", "nas"}, nullptr, {"nas"}, 10008, 2000, 3, check, -1, 0},
        {{"--check", "-w255", "nas"}, nullptr, {"nas"}, 10008, 2000, 3, check, 255, -1},
        {{"--check", "-w", "55", "-c", "55", "nas"}, nullptr, {"nas"}, 10008, 2000, 3, check, 55, 55},
        {{"--", "-odd-host"}, nullptr, {"-odd-host"}, 10008, 2000, 3, lines, -1, -1},
        {{"--check", "a", "b", "-w", "50"}, nullptr, {"a", "b"}, 10008, 2000, 3, check, 50, -1},
        {{"--summary", "-c", "60", "a"}, nullptr, {"a"}, 10008, 2000, 3, QueryOutput::Summary, -1, 60},
    };
    for (const GoodCase& c : cases) {
        SCOPED_TRACE(c.words.front());
        const ParsedOptions parsed = Parse(c.words, c.portVariable);
        ASSERT_EQ(parsed.error, "");
        const QueryOptions& o = parsed.options;
        EXPECT_EQ(o.hosts, c.hosts);
        EXPECT_EQ(o.port, c.port);
        EXPECT_EQ(o.waitMilliseconds, c.waitMilliseconds);
        EXPECT_EQ(o.tries, c.tries);
        EXPECT_EQ(o.output, c.output);
        EXPECT_EQ(o.warning, c.warning);
        EXPECT_EQ(o.critical, c.critical);
        EXPECT_EQ(parsed.checkRequested, c.output == check);
    }
}

TEST(QueryOptionsTest, BadCommandLinesSayWhatIsWrong)
{
    struct BadCase {
        std::vector<const char*> words;
        const char* portVariable;
        std::string error;
        bool checkRequested;
    };
    const BadCase cases[] = {
        {{}, nullptr, "no host given", false},
        {{"-p", "10008"}, nullptr, "no host given", false},
        {{"nas"}, "0", "KELVIX_QUERY_PORT \"0\" is not a port number (1 to 65535)", false},
        {{"nas"}, "", "KELVIX_QUERY_PORT \"\" is not a port number (1 to 65535)", false},
        {{"-p", "65536", "nas"}, nullptr, "-p \"65536\" is not a port number (1 to 65535)", false},
        {{"--port=x", "nas"}, nullptr, "--port \"x\" is not a port number (1 to 65535)", false},
        {{"nas", "-p"}, nullptr, "-p needs a value", false},
        {{"-t", "-1", "nas"}, nullptr, "-t \"-1\" is not a number of seconds (0 to 3600, 0 = no limit)", false},
        {{"-t", "1.", "nas"}, nullptr, "-t \"1.\" is not a number of seconds (0 to 3600, 0 = no limit)", false},
        {{"-t", "0.0001", "nas"}, nullptr, "-t \"0.0001\" is not a number of seconds (0 to 3600, 0 = no limit)",
         false},
        {{"-t", "3600.001", "nas"}, nullptr, "-t \"3600.001\" is not a number of seconds (0 to 3600, 0 = no limit)",
         false},
        {{"-t", "2s", "nas"}, nullptr, "-t \"2s\" is not a number of seconds (0 to 3600, 0 = no limit)", false},
        {{"-r", "0", "nas"}, nullptr, "-r \"0\" is not a number of tries (1 to 100)", false},
        {{"-r", "101", "nas"}, nullptr, "-r \"101\" is not a number of tries (1 to 100)", false},
        {{"-x", "nas"}, nullptr, "unknown option \"-x\"", false},
        {{"--json=yes", "nas"}, nullptr, "unknown option \"--json=yes\"", false},
        {{"--jsonx", "nas"}, nullptr, "unknown option \"--jsonx\"", false},
        {{"-w", "50", "nas"}, nullptr, "-w and -c belong to --check and --summary", false},
        {{"--json", "--check", "nas"}, nullptr, "--json and --check exclude each other", true},
        {{"--summary", "--json", "nas"}, nullptr, "--summary and --json exclude each other", false},
        {{"--down-critical", "nas"}, nullptr, "--down-critical belongs to --check", false},
        {{"-P", "0", "nas"}, nullptr, "-P \"0\" is not a number of hosts (1 to 256)", false},
        {{"--parallel=257", "nas"}, nullptr, "--parallel \"257\" is not a number of hosts (1 to 256)", false},
        {{"-T", "1s", "nas"}, nullptr, "-T \"1s\" is not a number of seconds (0 to 3600, 0 = no limit)", false},
        {{"nas", "-f"}, nullptr, "-f needs a value", false},
        {{"--check", "-w", "61", "-c", "60", "nas"}, nullptr, "the warning temperature is above the critical one",
         true},
        {{"--check", "-c", "256", "nas"}, nullptr, "-c \"256\" is not a temperature (0 to 255)", true},
        {{"--check", "-w", "", "nas"}, nullptr, "-w \"\" is not a temperature (0 to 255)", true},
    };
    for (const BadCase& c : cases) {
        SCOPED_TRACE(c.error);
        const ParsedOptions parsed = Parse(c.words, c.portVariable);
        EXPECT_EQ(parsed.error, c.error);
        EXPECT_EQ(parsed.checkRequested, c.checkRequested);
    }
}

TEST(QueryOptionsTest, HostFilesKeepTheirPlaceAmongTheHosts)
{
    const ParsedOptions parsed = Parse({"a", "-f", "one.txt", "b", "-", "--file=two.txt", "-P", "8", "-T", "2.5"});
    ASSERT_EQ(parsed.error, "");
    const QueryOptions& o = parsed.options;
    EXPECT_EQ(o.hosts, (std::vector<std::string>{"a", "b"}));
    ASSERT_EQ(o.hostFiles.size(), 3u);
    const std::pair<std::size_t, std::string> files[] = {{1, "one.txt"}, {2, "-"}, {2, "two.txt"}};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(o.hostFiles[i].position, files[i].first);
        EXPECT_EQ(o.hostFiles[i].path, files[i].second);
    }
    EXPECT_EQ(o.hostsInFlight, 8);
    EXPECT_EQ(o.totalMilliseconds, 2500);
    EXPECT_EQ(Parse({"-f", "hosts.txt"}).error, "") << "a host file alone is enough";
}

TEST(QueryOptionsTest, HelpNeedsNoHost)
{
    for (const char* word : {"-h", "--help"}) {
        const ParsedOptions parsed = Parse({word});
        EXPECT_EQ(parsed.error, "") << word;
        EXPECT_TRUE(parsed.options.help) << word;
    }
}

} // namespace
