// MQTT 3.1.1 packets: the few a publisher sends (CONNECT with a will, PUBLISH, PUBACK,
// SUBSCRIBE, PINGREQ, DISCONNECT) and a reader for what a broker sends back. The reader
// takes bytes as they arrive and never trusts a length it has not checked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace mqtt {

enum class PacketType : std::uint8_t {
    Connect = 1, ConnAck = 2, Publish = 3, PubAck = 4, PubRec = 5, PubRel = 6, PubComp = 7,
    Subscribe = 8, SubAck = 9, Unsubscribe = 10, UnsubAck = 11, PingReq = 12, PingResp = 13,
    Disconnect = 14,
};

// The largest packet the reader accepts; a broker's packets to us are small (acks and the
// birth message), so anything bigger is a fault, not something to buffer.
constexpr std::size_t kMaxIncomingPacket = 64 * 1024;
// MQTT's own limit on a packet's remaining length.
constexpr std::size_t kMaxRemainingLength = 268435455;

struct ConnectOptions {
    std::string clientId;
    std::string user;          // empty: none
    std::string password;      // only with a user
    std::string willTopic;     // empty: no will
    std::string willPayload;
    bool willRetain = true;
    std::uint8_t willQos = 1;
    std::uint16_t keepAliveSeconds = 60;
};

// Each returns the whole packet, or an empty string when a field is longer than MQTT
// allows (strings 65535 bytes, packets kMaxRemainingLength).
std::string EncodeConnect(const ConnectOptions& options);
std::string EncodePublish(const std::string& topic, const std::string& payload, std::uint8_t qos, bool retain,
                          std::uint16_t packetId);
std::string EncodePubAck(std::uint16_t packetId);
std::string EncodeSubscribe(std::uint16_t packetId, const std::string& topic, std::uint8_t qos);
std::string EncodePingReq();
std::string EncodeDisconnect();

// One packet from the broker, decoded.
struct Packet {
    PacketType type = PacketType::PingResp;
    std::uint8_t flags = 0;         // the low nibble of the first byte
    std::uint16_t packetId = 0;     // PUBACK, SUBACK, PUBLISH with QoS > 0
    std::uint8_t returnCode = 0;    // CONNACK's return code, SUBACK's granted QoS (0x80 refused)
    bool sessionPresent = false;    // CONNACK
    std::string topic;              // PUBLISH
    std::string payload;            // PUBLISH
    std::uint8_t Qos() const { return static_cast<std::uint8_t>((flags >> 1) & 3); }
};

enum class ReadResult { Packet, NeedMore, Malformed };

// Splits the broker's byte stream into packets.
class PacketReader {
public:
    // Adds bytes as they came; false (and the reader is Malformed from then on) when the
    // buffered bytes would exceed kMaxIncomingPacket plus a header.
    bool Feed(const char* data, std::size_t length);
    // The next whole packet out of what was fed. After Malformed the connection must go.
    ReadResult Next(Packet& packet);
    void Reset();

private:
    std::string buffer_;
    bool broken_ = false;
};

// Decodes one packet's type byte and body (the remaining length already split off);
// false when the body does not fit its type.
bool DecodeBody(std::uint8_t first, const char* body, std::size_t length, Packet& packet);

}  // namespace mqtt
