#include "mqtt_packets.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace mqtt;

std::string Bytes(std::initializer_list<int> values)
{
    std::string out;
    for (const int value : values) {
        out += static_cast<char>(value);
    }
    return out;
}

TEST(MqttPacketsTest, EncodesEachPacketAsMqtt311Writes)
{
    ConnectOptions connect;
    connect.clientId = "c";
    connect.user = "u";
    connect.password = "p";
    connect.willTopic = "w";
    connect.willPayload = "off";
    connect.keepAliveSeconds = 30;
    const struct {
        const char* what;
        std::string packet;
        std::string expected;
    } cases[] = {
        {"connect: clean session, will QoS 1 retained, user and password",
         EncodeConnect(connect),
         Bytes({0x10, 27, 0, 4, 'M', 'Q', 'T', 'T', 4, 0xEE, 0, 30, 0, 1, 'c', 0, 1, 'w', 0, 3, 'o', 'f', 'f', 0, 1,
                'u', 0, 1, 'p'})},
        {"connect without will or user", EncodeConnect(ConnectOptions{"c", "", "", "", "", true, 1, 60}),
         Bytes({0x10, 13, 0, 4, 'M', 'Q', 'T', 'T', 4, 0x02, 0, 60, 0, 1, 'c'})},
        {"publish QoS 0 retained", EncodePublish("t", "v", 0, true, 7), Bytes({0x31, 4, 0, 1, 't', 'v'})},
        {"publish QoS 1 carries its id", EncodePublish("t", "", 1, false, 0x102), Bytes({0x32, 5, 0, 1, 't', 1, 2})},
        {"puback", EncodePubAck(0xABCD), Bytes({0x40, 2, 0xAB, 0xCD})},
        {"subscribe has flags 0010", EncodeSubscribe(9, "a/b", 1), Bytes({0x82, 8, 0, 9, 0, 3, 'a', '/', 'b', 1})},
        {"pingreq", EncodePingReq(), Bytes({0xC0, 0})},
        {"disconnect", EncodeDisconnect(), Bytes({0xE0, 0})},
        {"publish with an empty topic is refused", EncodePublish("", "v", 0, false, 0), ""},
        {"a topic over 65535 bytes is refused", EncodePublish(std::string(65536, 't'), "", 0, false, 0), ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.packet, c.expected) << c.what;
    }
}

TEST(MqttPacketsTest, RemainingLengthUsesAsManyBytesAsTheLengthNeeds)
{
    const struct {
        std::size_t payload;  // the body is 3 bytes of topic plus this
        std::size_t headerBytes;
    } cases[] = {{124, 2}, {125, 3}, {16380, 3}, {16381, 4}, {2097148, 4}, {2097149, 5}};
    for (const auto& c : cases) {
        const std::string packet = EncodePublish("t", std::string(c.payload, 'x'), 0, false, 0);
        EXPECT_EQ(packet.size(), c.headerBytes + 3 + c.payload) << c.payload;
    }
}

TEST(MqttPacketsTest, ReaderSplitsTheStreamIntoPackets)
{
    const std::string stream = Bytes({0x20, 2, 0, 0}) + Bytes({0x90, 3, 0, 5, 1}) + Bytes({0x40, 2, 0, 9}) +
                               Bytes({0xD0, 0}) + EncodePublish("homeassistant/status", "online", 1, true, 77) +
                               Bytes({0x20, 2, 1, 5});
    PacketReader reader;
    // One byte at a time: no packet may come before all of its bytes.
    std::string got;
    for (const char byte : stream) {
        ASSERT_TRUE(reader.Feed(&byte, 1));
        Packet packet;
        ReadResult result;
        while ((result = reader.Next(packet)) == ReadResult::Packet) {
            got += std::to_string(static_cast<int>(packet.type)) + ":" + std::to_string(packet.packetId) + ":" +
                   std::to_string(packet.returnCode) + ":" + packet.topic + ":" + packet.payload + ";";
        }
        ASSERT_EQ(result, ReadResult::NeedMore);
    }
    EXPECT_EQ(got, "2:0:0::;9:5:1::;4:9:0::;13:0:0::;3:77:0:homeassistant/status:online;2:0:5::;");
}

TEST(MqttPacketsTest, ReaderRefusesWhatNoBrokerSends)
{
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"connack of 3 bytes", Bytes({0x20, 3, 0, 0, 0})},
        {"connack with reserved flags", Bytes({0x20, 2, 2, 0})},
        {"puback of 1 byte", Bytes({0x40, 1, 0})},
        {"suback for two topics", Bytes({0x90, 4, 0, 1, 0, 0})},
        {"pingresp with a body", Bytes({0xD0, 1, 0})},
        {"a client's connect", Bytes({0x10, 0})},
        {"a client's pingreq", Bytes({0xC0, 0})},
        {"reserved type 0", Bytes({0x00, 0})},
        {"reserved type 15", Bytes({0xF0, 0})},
        {"publish QoS 3", Bytes({0x36, 4, 0, 1, 't', 'v'})},
        {"publish topic past its end", Bytes({0x30, 3, 0, 5, 't'})},
        {"publish with an empty topic", Bytes({0x30, 2, 0, 0})},
        {"publish QoS 1 without its id", Bytes({0x32, 3, 0, 1, 't'})},
        {"publish QoS 1 with id 0", Bytes({0x32, 5, 0, 1, 't', 0, 0})},
        {"five length bytes", Bytes({0x30, 0xFF, 0xFF, 0xFF, 0xFF, 0x01})},
        {"a length over the limit", Bytes({0x30, 0x81, 0x80, 0x04})},
    };
    for (const auto& c : cases) {
        PacketReader reader;
        reader.Feed(c.bytes.data(), c.bytes.size());
        Packet packet;
        EXPECT_EQ(reader.Next(packet), ReadResult::Malformed) << c.what;
        EXPECT_EQ(reader.Next(packet), ReadResult::Malformed) << c.what << ": stays broken";
    }
}

TEST(MqttPacketsTest, ReaderBuffersNoMoreThanOnePacketCanHold)
{
    PacketReader reader;
    const std::string chunk(kMaxIncomingPacket, 'x');
    EXPECT_TRUE(reader.Feed(chunk.data(), 6));
    EXPECT_FALSE(reader.Feed(chunk.data(), chunk.size()));
    Packet packet;
    EXPECT_EQ(reader.Next(packet), ReadResult::Malformed);
}

}  // namespace
