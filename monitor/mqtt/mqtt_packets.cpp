#include "mqtt_packets.h"

namespace mqtt {

namespace {

constexpr std::size_t kMaxString = 65535;

void AppendUint16(std::string& out, std::uint16_t value)
{
    out += static_cast<char>(value >> 8);
    out += static_cast<char>(value & 0xFF);
}

bool AppendString(std::string& out, const std::string& text)
{
    if (text.size() > kMaxString) {
        return false;
    }
    AppendUint16(out, static_cast<std::uint16_t>(text.size()));
    out += text;
    return true;
}

// The fixed header (type byte and remaining length) before `body`.
std::string Frame(std::uint8_t first, const std::string& body)
{
    if (body.size() > kMaxRemainingLength) {
        return std::string();
    }
    std::string packet(1, static_cast<char>(first));
    std::size_t length = body.size();
    do {
        std::uint8_t digit = length % 128;
        length /= 128;
        if (length > 0) {
            digit |= 0x80;
        }
        packet += static_cast<char>(digit);
    } while (length > 0);
    packet += body;
    return packet;
}

std::uint16_t ReadUint16(const char* at)
{
    return static_cast<std::uint16_t>((static_cast<std::uint8_t>(at[0]) << 8) | static_cast<std::uint8_t>(at[1]));
}

}  // namespace

std::string EncodeConnect(const ConnectOptions& options)
{
    std::string body;
    AppendString(body, "MQTT");
    body += static_cast<char>(4);  // protocol level 3.1.1
    std::uint8_t flags = 0x02;     // clean session: nothing is kept for us between connections
    if (!options.willTopic.empty()) {
        flags |= 0x04 | static_cast<std::uint8_t>((options.willQos & 3) << 3) | (options.willRetain ? 0x20 : 0);
    }
    if (!options.user.empty()) {
        flags |= 0x80;
        if (!options.password.empty()) {
            flags |= 0x40;
        }
    }
    body += static_cast<char>(flags);
    AppendUint16(body, options.keepAliveSeconds);
    bool fits = AppendString(body, options.clientId);
    if (!options.willTopic.empty()) {
        fits = fits && AppendString(body, options.willTopic) && AppendString(body, options.willPayload);
    }
    if (!options.user.empty()) {
        fits = fits && AppendString(body, options.user);
        if (!options.password.empty()) {
            fits = fits && AppendString(body, options.password);
        }
    }
    return fits ? Frame(0x10, body) : std::string();
}

std::string EncodePublish(const std::string& topic, const std::string& payload, std::uint8_t qos, bool retain,
                          std::uint16_t packetId)
{
    std::string body;
    if (topic.empty() || !AppendString(body, topic)) {
        return std::string();
    }
    qos &= 3;
    if (qos > 0) {
        AppendUint16(body, packetId);
    }
    body += payload;
    const std::uint8_t first = static_cast<std::uint8_t>(0x30 | (qos << 1) | (retain ? 1 : 0));
    return Frame(first, body);
}

std::string EncodePubAck(std::uint16_t packetId)
{
    std::string body;
    AppendUint16(body, packetId);
    return Frame(0x40, body);
}

std::string EncodeSubscribe(std::uint16_t packetId, const std::string& topic, std::uint8_t qos)
{
    std::string body;
    AppendUint16(body, packetId);
    if (topic.empty() || !AppendString(body, topic)) {
        return std::string();
    }
    body += static_cast<char>(qos & 3);
    return Frame(0x82, body);  // SUBSCRIBE's reserved flags are 0010
}

std::string EncodePingReq()
{
    return std::string("\xC0\x00", 2);
}

std::string EncodeDisconnect()
{
    return std::string("\xE0\x00", 2);
}

bool DecodeBody(std::uint8_t first, const char* body, std::size_t length, Packet& packet)
{
    packet = Packet();
    packet.type = static_cast<PacketType>(first >> 4);
    packet.flags = first & 0x0F;
    switch (packet.type) {
    case PacketType::ConnAck:
        if (length != 2 || (static_cast<std::uint8_t>(body[0]) & 0xFE) != 0) {
            return false;
        }
        packet.sessionPresent = (body[0] & 1) != 0;
        packet.returnCode = static_cast<std::uint8_t>(body[1]);
        return true;
    case PacketType::PubAck:
    case PacketType::PubRec:
    case PacketType::PubRel:
    case PacketType::PubComp:
    case PacketType::UnsubAck:
        if (length != 2) {
            return false;
        }
        packet.packetId = ReadUint16(body);
        return true;
    case PacketType::SubAck:
        // One topic is all we ever ask for.
        if (length != 3) {
            return false;
        }
        packet.packetId = ReadUint16(body);
        packet.returnCode = static_cast<std::uint8_t>(body[2]);
        return true;
    case PacketType::PingResp:
        return length == 0;
    case PacketType::Publish: {
        if (packet.Qos() == 3 || length < 2) {
            return false;
        }
        const std::size_t topicLength = ReadUint16(body);
        std::size_t at = 2 + topicLength;
        if (topicLength == 0 || at > length) {
            return false;
        }
        packet.topic.assign(body + 2, topicLength);
        if (packet.Qos() > 0) {
            if (at + 2 > length) {
                return false;
            }
            packet.packetId = ReadUint16(body + at);
            if (packet.packetId == 0) {
                return false;
            }
            at += 2;
        }
        packet.payload.assign(body + at, length - at);
        return true;
    }
    default:
        // A broker never sends the client's own packets.
        return false;
    }
}

bool PacketReader::Feed(const char* data, std::size_t length)
{
    if (broken_ || buffer_.size() + length > kMaxIncomingPacket + 5) {
        broken_ = true;
        return false;
    }
    buffer_.append(data, length);
    return true;
}

ReadResult PacketReader::Next(Packet& packet)
{
    if (broken_) {
        return ReadResult::Malformed;
    }
    if (buffer_.empty()) {
        return ReadResult::NeedMore;
    }
    std::size_t remaining = 0;
    std::size_t at = 1;
    unsigned shift = 0;
    for (;;) {
        if (at >= buffer_.size()) {
            return ReadResult::NeedMore;
        }
        const std::uint8_t digit = static_cast<std::uint8_t>(buffer_[at++]);
        remaining |= static_cast<std::size_t>(digit & 0x7F) << shift;
        if ((digit & 0x80) == 0) {
            break;
        }
        shift += 7;
        if (shift > 21) {  // at most four length bytes
            broken_ = true;
            return ReadResult::Malformed;
        }
    }
    if (remaining > kMaxIncomingPacket) {
        broken_ = true;
        return ReadResult::Malformed;
    }
    if (buffer_.size() - at < remaining) {
        return ReadResult::NeedMore;
    }
    if (!DecodeBody(static_cast<std::uint8_t>(buffer_[0]), buffer_.data() + at, remaining, packet)) {
        broken_ = true;
        return ReadResult::Malformed;
    }
    buffer_.erase(0, at + remaining);
    return ReadResult::Packet;
}

void PacketReader::Reset()
{
    buffer_.clear();
    broken_ = false;
}

}  // namespace mqtt
