// tempquery's argument: a dotted IPv4 address and nothing else.
#include "dotted_address.h"

#include <gtest/gtest.h>

namespace {

TEST(DottedAddressTest, AcceptsFourDecimalOctets)
{
    struct Accepted {
        const char* text;
        std::uint8_t octets[4];
    };
    const Accepted cases[] = {
        {"127.0.0.1", {127, 0, 0, 1}},
        {"192.168.0.10", {192, 168, 0, 10}},
        {"0.0.0.0", {0, 0, 0, 0}},
        {"255.255.255.255", {255, 255, 255, 255}},
        {"010.001.000.009", {10, 1, 0, 9}},
    };
    for (const Accepted& c : cases) {
        std::uint8_t octets[4] = {1, 1, 1, 1};
        ASSERT_TRUE(ParseDottedIPv4(c.text, octets)) << c.text;
        EXPECT_EQ(std::vector<int>(octets, octets + 4), std::vector<int>(c.octets, c.octets + 4)) << c.text;
    }
}

TEST(DottedAddressTest, RejectsEverythingElse)
{
    for (const char* text : {"", "localhost", "1.2.3", "1.2.3.4.5", "256.1.1.1", "1.2.3.256", "1..2.3",
                             ".1.2.3", "1.2.3.", "1.2.3.4 ", " 1.2.3.4", "+1.2.3.4", "-1.2.3.4", "0x7f.0.0.1",
                             "2130706433", "0001.2.3.4", "1.2.3.4x", "1,2,3,4"}) {
        std::uint8_t octets[4];
        EXPECT_FALSE(ParseDottedIPv4(text, octets)) << '"' << text << '"';
    }
}

} // namespace
