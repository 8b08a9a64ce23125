// Many hosts at once: the host list, and what --check and --summary make of an office.
#include "drive_summary.h"
#include "host_list.h"
#include "office_check.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

TEST(HostListTest, LinesAndTheirFaults)
{
    struct ListCase {
        std::string text;
        std::vector<std::string> hosts;
        std::string error;
    };
    const ListCase cases[] = {
        {"pc1\npc2\r\n\n  # a comment\n\tnas.local  # the NAS\n192.168.0.9", {"pc1", "pc2", "nas.local", "192.168.0.9"}, ""},
        {"", {}, ""},
        {"pc1\npc2 pc3\n", {}, "f line 2 holds more than one host name"},
        {std::string("pc1\0x\n", 6), {}, "f line 1 holds more than one host name"},
        {std::string(254, 'a'), {}, "f line 1 holds a host name longer than 253 bytes"},
        {std::string(253, 'a'), {std::string(253, 'a')}, ""},
    };
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<std::string> hosts;
        std::string error;
        EXPECT_EQ(ParseHostLines(c.text, "f", hosts, error), c.error.empty());
        EXPECT_EQ(error, c.error);
        if (c.error.empty()) {
            EXPECT_EQ(hosts, c.hosts);
        }
    }
}

TEST(HostListTest, FilesAreReadInAtTheirPlace)
{
    QueryOptions options;
    options.hosts = {"a", "d"};
    options.hostFiles = {{1, "bc"}, {2, "-"}};
    const auto read = [](const std::string& path, std::string& text) {
        text = path == "-" ? "e\n" : "b\nc\n";
        return path != "missing";
    };
    std::vector<std::string> hosts;
    std::string error;
    ASSERT_TRUE(GatherHosts(options, read, hosts, error)) << error;
    EXPECT_EQ(hosts, (std::vector<std::string>{"a", "b", "c", "d", "e"}));
    options.hostFiles = {{0, "missing"}};
    EXPECT_FALSE(GatherHosts(options, read, hosts, error));
    EXPECT_EQ(error, "cannot read host file \"missing\"");
    options.hosts.assign(kMostHosts + 1, "h");
    options.hostFiles.clear();
    EXPECT_FALSE(GatherHosts(options, read, hosts, error));
    EXPECT_EQ(error, "4097 hosts, more than 4096");
}

TEST(HostListTest, RangesAndPortsAreExpanded)
{
    struct EntryCase {
        std::string entry;
        std::vector<std::string> hosts;
        std::string error;
    };
    std::vector<std::string> slash22;
    for (unsigned n = 1; n < 1023; ++n) {
        slash22.push_back("10.0." + std::to_string(4 + n / 256) + "." + std::to_string(n % 256));
    }
    const EntryCase cases[] = {
        {"nas.local", {"nas.local"}, ""},
        {"192.168.1.0/30", {"192.168.1.1", "192.168.1.2"}, ""},
        {"192.168.1.7/29:10010", {"192.168.1.1:10010", "192.168.1.2:10010", "192.168.1.3:10010",
                                   "192.168.1.4:10010", "192.168.1.5:10010", "192.168.1.6:10010"}, ""},
        {"10.0.0.8/31", {"10.0.0.8", "10.0.0.9"}, ""},
        {"10.0.0.9/32", {"10.0.0.9"}, ""},
        {"10.0.5.200/22", slash22, ""},
        {"10.0.0.0/21", {}, "\"10.0.0.0/21\" stands for 2048 addresses, more than 1024 (a /22)"},
        {"10.0.0.0/33", {}, "\"10.0.0.0/33\" is not an IPv4 range such as 192.168.1.0/28"},
        {"nas/24", {}, "\"nas/24\" is not an IPv4 range such as 192.168.1.0/28"},
        {"nas:0", {}, "\"nas:0\" has a port that is not 1 to 65535"},
        {"nas:65536", {}, "\"nas:65536\" has a port that is not 1 to 65535"},
        {"nas:", {}, "\"nas:\" has a port that is not 1 to 65535"},
        {"::1", {"::1"}, ""},
        {"[::1]:10010", {"[::1]:10010"}, ""},
    };
    for (const EntryCase& c : cases) {
        SCOPED_TRACE(c.entry);
        std::vector<std::string> hosts;
        std::string error;
        EXPECT_EQ(ExpandHostEntry(c.entry, hosts, error), c.error.empty());
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(hosts, c.hosts);
    }
    const struct {
        const char* entry;
        const char* host;
        std::uint16_t port;
    } splits[] = {{"nas", "nas", 10008}, {"nas:10010", "nas", 10010}, {"::1", "::1", 10008},
                  {"[::1]:7", "::1", 7}, {"[fe80::1]", "fe80::1", 10008}, {"1.2.3.4:65535", "1.2.3.4", 65535}};
    for (const auto& split : splits) {
        std::string host;
        std::uint16_t port = 0;
        EXPECT_TRUE(SplitHostPort(split.entry, 10008, host, port)) << split.entry;
        EXPECT_EQ(host, split.host) << split.entry;
        EXPECT_EQ(port, split.port) << split.entry;
    }
}

struct Drive {
    unsigned slot;
    std::uint8_t current;
    const char* model;
    HealthState health;  // Unknown: the server tells nothing
    int ownLimit;
};

HostOutcome Answer(std::initializer_list<Drive> drives)
{
    HostOutcome outcome;
    outcome.state = HostState::Answered;
    outcome.length = static_cast<int>(kReportBytes);
    for (const Drive& d : drives) {
        std::uint8_t* record = outcome.report + d.slot * 120;
        record[0] = 1;
        record[1] = d.current;
        std::memcpy(record + 8, d.model, std::strlen(d.model));
        if (d.health != HealthState::Unknown) {
            const TemperatureState temperature = d.current > d.ownLimit ? TemperatureState::Hot : TemperatureState::Normal;
            outcome.health[d.slot] = {true, d.ownLimit, temperature, d.health,
                                      d.health == HealthState::Good ? "" : "pending 8"};
        }
    }
    return outcome;
}

HostOutcome Silent()
{
    return HostOutcome();
}

struct OfficeCase {
    const char* name;
    std::vector<std::string> hosts;
    std::vector<HostOutcome> outcomes;
    OfficeCheckRules rules;
    CheckState state;
    std::string line;
    std::string summary;
};

TEST(OfficeCheckTest, WorstStateTextPerformanceDataAndSummary)
{
    const auto U = HealthState::Unknown;
    const HostOutcome cool = Answer({{0, 40, "A", U, 0}, {1, 35, "B;C", U, 0}});
    const HostOutcome warm = Answer({{2, 57, "W", U, 0}});
    const HostOutcome hot = Answer({{0, 66, "H", U, 0}, {3, 0, "N", U, 0}});
    const CheckThresholds limits{55, 60};
    const OfficeCase cases[] = {
        {"all well", {"a", "b"}, {cool, cool}, {limits, false}, CheckState::Ok,
         "KELVIX OK - 4 drives on 2 hosts, hottest a drive 0 (A) at 40 C, warning above 55, critical above 60"
         "|'hosts answered'=2 'hosts silent'=0 'a drive0'=40;55;60 'a drive1'=35;55;60 'b drive0'=40;55;60 "
         "'b drive1'=35;55;60\n",
         ""},
        {"hot, warm and silent: the worst drives first, then the silent hosts", {"a", "w", "s1", "h", "s2"},
         {cool, warm, Silent(), hot, Silent()}, {limits, false}, CheckState::Critical,
         "KELVIX CRITICAL - 2 drives need attention: h drive 0 (H) at 66 C, w drive 2 (W) at 57 C, 2 hosts silent: "
         "s1, s2, 5 drives (1 without temperature) on 3 of 5 hosts, warning above 55, critical above 60"
         "|'hosts answered'=3 'hosts silent'=2 'a drive0'=40;55;60 'a drive1'=35;55;60 'w drive2'=57;55;60 "
         "'h drive0'=66;55;60 'h drive3'=U;55;60\n",
         "w drive 2 (W): 57 C, above 55\ns1: down\nh drive 0 (H): 66 C, above 60\nh drive 3 (N): no temperature\n"
         "s2: down\n"},
        {"a silent host is UNKNOWN", {"a", "s1", "s2", "s3", "s4"}, {cool, Silent(), Silent(), Silent(), Silent()},
         {limits, false}, CheckState::Unknown,
         "KELVIX UNKNOWN - 4 hosts silent: s1, s2, s3 and 1 more (--summary lists all), 2 drives on 1 of 5 hosts, hottest a drive 0 "
         "(A) at 40 C, warning above 55, critical above 60|'hosts answered'=1 'hosts silent'=4 'a drive0'=40;55;60 'a drive1'=35;55;60\n",
         "s1: down\ns2: down\ns3: down\ns4: down\n"},
        {"or CRITICAL when asked", {"a", "s"}, {cool, Silent()}, {{-1, -1}, true}, CheckState::Critical,
         "KELVIX CRITICAL - 1 host silent: s, 2 drives on 1 of 2 hosts, hottest a drive 0 (A) at 40 C"
         "|'hosts answered'=1 'hosts silent'=1 'a drive0'=40 'a drive1'=35\n",
         "s: down\n"},
        {"a warm drive beats a silent host", {"w", "s"}, {warm, Silent()}, {limits, false}, CheckState::Warning,
         "KELVIX WARNING - 1 drive needs attention: w drive 2 (W) at 57 C, 1 host silent: s, 1 drive on 1 of 2 hosts, "
         "warning above 55, critical above 60|'hosts answered'=1 'hosts silent'=1 'w drive2'=57;55;60\n",
         "w drive 2 (W): 57 C, above 55\ns: down\n"},
        {"health and the drive's own limit, from servers that tell them", {"x", "x"},
         {Answer({{0, 50, "OWN", HealthState::Good, 45}, {1, 30, "SICK", HealthState::Bad, 70}}),
          Answer({{0, 50, "OWN", HealthState::Caution, 55}})},
         {{-1, -1}, false}, CheckState::Critical,
         "KELVIX CRITICAL - 3 drives need attention: x drive 1 (SICK) health bad: pending 8, x drive 0 (OWN) at 50 C, "
         "x drive 0 (OWN) health caution: pending 8, 3 drives on 2 hosts|'hosts answered'=2 'hosts silent'=0 "
         "'x drive0'=50 'x drive1'=30 'x drive0 #2'=50\n",
         "x drive 0 (OWN): 50 C, above 45\nx drive 1 (SICK): health bad: pending 8\nx drive 0 (OWN): health caution: "
         "pending 8\n"},
        {"no drive with a temperature anywhere", {"n", "m"}, {Answer({{3, 0, "N", U, 0}}), Answer({})},
         {limits, false}, CheckState::Unknown,
         "KELVIX UNKNOWN - 1 drive (1 without temperature) on 2 hosts, no drive reports a temperature, warning above "
         "55, critical above 60|'hosts answered'=2 'hosts silent'=0 'n drive3'=U;55;60\n",
         "n drive 3 (N): no temperature\n"},
        {"labels stay unique once cleaned", {"p=q", "p_q", "a|b"}, {warm, warm, Silent()}, {{-1, -1}, false},
         CheckState::Unknown,
         "KELVIX UNKNOWN - 1 host silent: a_b, 2 drives on 2 of 3 hosts, hottest p=q drive 2 (W) at 57 C"
         "|'hosts answered'=2 'hosts silent'=1 'p_q drive2'=57 'p_q drive2 #2'=57\n",
         "a_b: down\n"},
    };
    for (const OfficeCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> problems;
        for (const HostOutcome& outcome : c.outcomes) {
            problems.push_back(outcome.state == HostState::Answered ? "" : "down");
        }
        const CheckResult result = EvaluateOffice(c.hosts, c.outcomes, problems, c.rules);
        EXPECT_EQ(result.state, c.state);
        EXPECT_EQ(result.line, c.line);
        EXPECT_EQ(FormatSummary(c.hosts, c.outcomes, problems, c.rules.thresholds), c.summary);
    }
}

} // namespace
