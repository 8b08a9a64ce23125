// Random bytes as glyph pictures and icon group directories, as a chosen glyph file may
// hold them: nothing outside each layer's bytes is read, and whatever is composed reads
// back as the same picture.
#include "glyph_picture.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    const std::size_t count = data[0] % 4;  // layers, each on the heap at its exact length
    const std::uint8_t* rest = data + 1;
    const std::size_t restSize = size - 1;
    SoleGlyphIconId(rest, restSize);

    std::unique_ptr<std::uint8_t[]> copies[3];
    GlyphBits layers[3] = {};
    std::size_t offset = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t length = i + 1 == count ? restSize - offset : restSize / count;
        copies[i] = std::make_unique<std::uint8_t[]>(length);
        if (length) std::memcpy(copies[i].get(), rest + offset, length);
        layers[i] = GlyphBits{copies[i].get(), length};
        offset += length;
    }
    GlyphPictureBytes composed;
    if (ComposeGlyphPictures(layers, count, composed)) {
        GlyphPixels picture;
        if (!DecodeGlyphPicture(GlyphBits{composed.data(), composed.size()}, picture) ||
            EncodeGlyphPicture(picture) != composed) {
            __builtin_trap();
        }
    }
    return 0;
}
