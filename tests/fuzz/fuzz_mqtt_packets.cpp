// The MQTT packet reader on whatever a broker (or anything posing as one) may send,
// fed in the chunk sizes the first byte picks.
#include "mqtt_packets.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    const std::size_t chunk = 1 + data[0] % 64;
    mqtt::PacketReader reader;
    for (std::size_t at = 1; at < size; at += chunk) {
        const std::size_t length = size - at < chunk ? size - at : chunk;
        if (!reader.Feed(reinterpret_cast<const char*>(data + at), length)) {
            return 0;
        }
        mqtt::Packet packet;
        mqtt::ReadResult result;
        while ((result = reader.Next(packet)) == mqtt::ReadResult::Packet) {
            if (packet.type == mqtt::PacketType::Publish && packet.topic.empty()) {
                __builtin_trap();  // a publish always names its topic
            }
        }
        if (result == mqtt::ReadResult::Malformed) {
            return 0;
        }
    }
    return 0;
}
