// The allowed-networks list: what the user may type, what each entry lets in.
#include "allowed_networks.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace {

constexpr std::uint32_t Ip(unsigned a, unsigned b, unsigned c, unsigned d)
{
    return (a << 24) | (b << 16) | (c << 8) | d;
}

struct MatchCase {
    const char* list;
    std::uint32_t address;
    bool allowed;
};

TEST(AllowedNetworksTest, MatchesAddressesAtTheEdgesOfEachRange)
{
    const MatchCase cases[] = {
        {"0.0.0.0/0", Ip(0, 0, 0, 0), true},
        {"0.0.0.0/0", Ip(255, 255, 255, 255), true},
        {"0.0.0.0/0", Ip(203, 0, 113, 7), true},
        {"203.0.113.7/32", Ip(203, 0, 113, 7), true},
        {"203.0.113.7/32", Ip(203, 0, 113, 6), false},
        {"203.0.113.7/32", Ip(203, 0, 113, 8), false},
        {"203.0.113.7", Ip(203, 0, 113, 7), true},
        {"203.0.113.7", Ip(203, 0, 113, 71), false},
        {"10.0.0.0/8", Ip(10, 0, 0, 0), true},
        {"10.0.0.0/8", Ip(10, 255, 255, 255), true},
        {"10.0.0.0/8", Ip(9, 255, 255, 255), false},
        {"10.0.0.0/8", Ip(11, 0, 0, 0), false},
        {"172.16.0.0/12", Ip(172, 31, 255, 255), true},
        {"172.16.0.0/12", Ip(172, 32, 0, 0), false},
        {"172.16.0.0/12", Ip(172, 15, 255, 255), false},
        {"192.168.1.7/24", Ip(192, 168, 1, 200), true},  // host bits name their range
        {"192.168.1.7/24", Ip(192, 168, 2, 7), false},
        {"128.0.0.0/1", Ip(255, 255, 255, 255), true},
        {"128.0.0.0/1", Ip(127, 255, 255, 255), false},
        {"255.255.255.255", Ip(255, 255, 255, 255), true},
        {"255.255.255.255", Ip(255, 255, 255, 254), false},
        {"0.0.0.0", Ip(0, 0, 0, 0), true},
        {"0.0.0.0", Ip(0, 0, 0, 1), false},
        {"", Ip(127, 0, 0, 1), false},     // the empty list lets nobody in
        {"   ", Ip(127, 0, 0, 1), false},
        {" 10.1.2.3 ,\t192.168.0.0/16 ", Ip(192, 168, 44, 1), true},
        {" 10.1.2.3 ,\t192.168.0.0/16 ", Ip(10, 1, 2, 3), true},
        {" 10.1.2.3 ,\t192.168.0.0/16 ", Ip(10, 1, 2, 4), false},
        {kDefaultAllowedHosts, Ip(127, 0, 0, 1), true},
        {kDefaultAllowedHosts, Ip(127, 0, 0, 2), true},
        {kDefaultAllowedHosts, Ip(10, 20, 30, 40), true},
        {kDefaultAllowedHosts, Ip(172, 20, 0, 1), true},
        {kDefaultAllowedHosts, Ip(192, 168, 1, 20), true},
        {kDefaultAllowedHosts, Ip(169, 254, 3, 4), true},
        {kDefaultAllowedHosts, Ip(8, 8, 8, 8), false},
        {kDefaultAllowedHosts, Ip(100, 64, 0, 1), false},
        {kDefaultAllowedHosts, Ip(172, 32, 0, 1), false},
        {kDefaultAllowedHosts, Ip(192, 169, 0, 1), false},
        {kDefaultAllowedHosts, Ip(0, 0, 0, 0), false},
        {kDefaultAllowedHosts, Ip(255, 255, 255, 255), false},
    };
    for (const MatchCase& c : cases) {
        SCOPED_TRACE(std::string(c.list) + " / " + std::to_string(c.address >> 24) + "." +
                     std::to_string((c.address >> 16) & 255) + "." + std::to_string((c.address >> 8) & 255) + "." +
                     std::to_string(c.address & 255));
        AllowedNetworks allowed;
        ASSERT_TRUE(allowed.Parse(c.list));
        EXPECT_EQ(allowed.Allows(c.address), c.allowed);
    }
}

struct MalformedCase {
    const char* list;
    NetworkListError error;
    unsigned entry;
    const char* shown;  // the entry as the message quotes it
};

TEST(AllowedNetworksTest, RejectsMalformedEntriesNamingTheEntryAndKeepsTheOldList)
{
    const MalformedCase cases[] = {
        {"10.0.0.0/33", NetworkListError::BadPrefix, 1, "10.0.0.0/33"},
        {"10.0.0.0/", NetworkListError::BadPrefix, 1, "10.0.0.0/"},
        {"10.0.0.0/8x", NetworkListError::BadPrefix, 1, "10.0.0.0/8x"},
        {"10.0.0.0/-1", NetworkListError::BadPrefix, 1, "10.0.0.0/-1"},
        {"10.0.0.0/08", NetworkListError::BadPrefix, 1, "10.0.0.0/08"},
        {"10.0.0.0/ 8", NetworkListError::BadPrefix, 1, "10.0.0.0/ 8"},
        {"1.2.3", NetworkListError::BadAddress, 1, "1.2.3"},
        {"1.2.3.4.5", NetworkListError::BadAddress, 1, "1.2.3.4.5"},
        {"a.b.c.d", NetworkListError::BadAddress, 1, "a.b.c.d"},
        {"256.0.0.1", NetworkListError::BadAddress, 1, "256.0.0.1"},
        {"1.2.3.1000", NetworkListError::BadAddress, 1, "1.2.3.1000"},
        {"010.0.0.1", NetworkListError::BadAddress, 1, "010.0.0.1"},
        {"1..2.3", NetworkListError::BadAddress, 1, "1..2.3"},
        {"-1.2.3.4", NetworkListError::BadAddress, 1, "-1.2.3.4"},
        {"10.0.0.1 10.0.0.2", NetworkListError::BadAddress, 1, "10.0.0.1 10.0.0.2"},
        {"10.0.0.0 /8", NetworkListError::BadAddress, 1, "10.0.0.0 /8"},
        {"192.168.0.0/16, host.example", NetworkListError::BadAddress, 2, "host.example"},
        {"10.0.0.1,,10.0.0.2", NetworkListError::EmptyEntry, 2, ""},
        {"10.0.0.1,", NetworkListError::EmptyEntry, 2, ""},
        {",10.0.0.1", NetworkListError::EmptyEntry, 1, ""},
        {"10.0.0.1, ,10.0.0.2", NetworkListError::EmptyEntry, 2, ""},
        {"\x8F\x9E\x82\xA0.1.2.3", NetworkListError::BadAddress, 1, "????.1.2.3"},
        {"1.2.3.4/24/8", NetworkListError::BadPrefix, 1, "1.2.3.4/24/8"},
        {"111.111.111.111/32, 222.222.222.222/3x", NetworkListError::BadPrefix, 2, "222.222.222.222/3x"},
        {"111.111.111.111/32, 222.222.222.222/32x", NetworkListError::BadPrefix, 2, "222.222.222.222/32x"},
    };
    for (const MalformedCase& c : cases) {
        SCOPED_TRACE(c.list);
        AllowedNetworks allowed;
        ASSERT_TRUE(allowed.Parse("203.0.113.0/24"));
        NetworkListProblem problem;
        EXPECT_FALSE(allowed.Parse(c.list, &problem));
        EXPECT_EQ(problem.error, c.error);
        EXPECT_EQ(problem.entry, c.entry);
        EXPECT_STREQ(problem.text, c.shown);
        EXPECT_EQ(allowed.Count(), 1u) << "a rejected list leaves the old one";
        EXPECT_TRUE(allowed.Allows(Ip(203, 0, 113, 9)));
    }
}

TEST(AllowedNetworksTest, LongEntriesAreQuotedCutAndTheListHasABound)
{
    std::string full;
    for (unsigned i = 0; i < kMaxAllowedNetworks; ++i) {
        full += (i ? "," : "") + std::to_string(i + 1) + ".0.0.0/8";
    }
    AllowedNetworks allowed;
    ASSERT_TRUE(allowed.Parse(full.c_str()));
    EXPECT_EQ(allowed.Count(), kMaxAllowedNetworks);
    EXPECT_TRUE(allowed.Allows(Ip(kMaxAllowedNetworks, 9, 9, 9)));
    EXPECT_FALSE(allowed.Allows(Ip(kMaxAllowedNetworks + 1, 9, 9, 9)));

    NetworkListProblem problem;
    EXPECT_FALSE(allowed.Parse((full + ",99.0.0.0/8").c_str(), &problem));
    EXPECT_EQ(problem.error, NetworkListError::TooManyEntries);
    EXPECT_EQ(problem.entry, kMaxAllowedNetworks + 1);

    const std::string longEntry = "1.2.3.4" + std::string(100, 'x');
    EXPECT_FALSE(allowed.Parse(longEntry.c_str(), &problem));
    EXPECT_EQ(problem.error, NetworkListError::BadAddress);
    EXPECT_EQ(std::strlen(problem.text), sizeof problem.text - 1);
    EXPECT_EQ(std::string(problem.text), longEntry.substr(0, sizeof problem.text - 1));

    const std::string tooLong(kAllowedHostsSize, ' ');
    EXPECT_FALSE(allowed.Parse(tooLong.c_str(), &problem));
    EXPECT_EQ(problem.error, NetworkListError::TooLong);
    EXPECT_EQ(allowed.Count(), kMaxAllowedNetworks) << "the list stays as it was";
}

// Every problem gets its own message, and each names the entry the user must fix.
TEST(AllowedNetworksTest, MessagesNameTheEntry)
{
    const NetworkListProblem problems[] = {
        {NetworkListError::BadAddress, 3, "a.b.c.d"},
        {NetworkListError::BadPrefix, 2, "10.0.0.0/33"},
        {NetworkListError::EmptyEntry, 4, ""},
    };
    std::string seen[3];
    for (unsigned i = 0; i < 3; ++i) {
        char text[512];
        DescribeNetworkListProblem(problems[i], text, sizeof text);
        seen[i] = text;
        EXPECT_NE(seen[i].find(std::to_string(problems[i].entry) + " 番目"), std::string::npos) << seen[i];
        EXPECT_NE(seen[i].find(problems[i].text), std::string::npos) << seen[i];
    }
    EXPECT_NE(seen[0], seen[1]);
    EXPECT_NE(seen[1], seen[2]);
    char small[8];
    DescribeNetworkListProblem(problems[0], small, sizeof small);
    EXPECT_LT(std::strlen(small), sizeof small);
}

} // namespace
