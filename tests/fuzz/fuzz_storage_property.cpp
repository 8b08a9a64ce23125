// Random storage-property replies: the temperature and device-descriptor parsers read
// nothing past the bytes given, and what they report is what a reply that size can hold.
#include "storage_temperature.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace {

template <std::size_t N>
void CheckText(const char (&text)[N])
{
    const void* nul = std::memchr(text, '\0', N);
    if (nul == nullptr) {
        __builtin_trap();
    }
    const std::size_t length = static_cast<const char*>(nul) - text;
    for (std::size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c >= 0x7F) {
            __builtin_trap();
        }
    }
    if (length > 0 && (text[0] == ' ' || text[length - 1] == ' ')) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The reply alone on the heap, so the sanitizer sees any read past it.
    auto reply = std::make_unique<std::uint8_t[]>(size);
    if (size > 0) {
        std::memcpy(reply.get(), data, size);
    }
    const std::uint32_t returned = static_cast<std::uint32_t>(size);

    PropertyTemperature temperature;
    if (ParseTemperatureDescriptor(reply.get(), returned, temperature) &&
        returned < kTemperatureHeaderSize + kTemperatureInfoSize) {
        __builtin_trap();
    }
    const std::uint8_t kept = UsableTemperature(temperature.temperature);
    if (kept != 0 && kept != temperature.temperature) {
        __builtin_trap();
    }

    DeviceTexts texts;
    const bool parsed = ParseDeviceTexts(reply.get(), returned, texts);
    if (parsed && returned < 32) {
        __builtin_trap();
    }
    CheckText(texts.vendor);
    CheckText(texts.product);
    CheckText(texts.revision);
    CheckText(texts.serial);
    char model[64];
    ComposeModel(texts, model);
    if (std::memchr(model, '\0', sizeof model) == nullptr) {
        __builtin_trap();
    }
    BusTypeName(texts.busType);
    return 0;
}
