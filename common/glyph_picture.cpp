#include "glyph_picture.h"

#include <algorithm>

namespace {

constexpr std::size_t kHeaderBytes = 40;
constexpr std::size_t kPaletteBytes = 16 * 4;
constexpr std::size_t kColourRowBytes = kGlyphSide / 2;
constexpr std::size_t kMaskRowBytes = 4;  // 16 bits padded to 32
constexpr std::size_t kColourOffset = kHeaderBytes + kPaletteBytes;
constexpr std::size_t kMaskOffset = kColourOffset + kGlyphSide * kColourRowBytes;

// The standard 16-colour palette in its standard order, 0xRRGGBB.
constexpr std::uint32_t kStandardPalette[16] = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

std::uint32_t Read16(const std::uint8_t* at)
{
    return static_cast<std::uint32_t>(at[0] | at[1] << 8);
}

std::uint32_t Read32(const std::uint8_t* at)
{
    return Read16(at) | Read16(at + 2) << 16;
}

void Put16(std::uint8_t* at, std::uint32_t value)
{
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::uint8_t* at, std::uint32_t value)
{
    Put16(at, value & 0xFFFF);
    Put16(at + 2, value >> 16);
}

bool StandardHeader(const std::uint8_t* bytes)
{
    const std::uint32_t coloursUsed = Read32(bytes + 32);
    return Read32(bytes) == kHeaderBytes && Read32(bytes + 4) == kGlyphSide && Read32(bytes + 8) == 2 * kGlyphSide &&
        Read16(bytes + 12) == 1 && Read16(bytes + 14) == 4 && Read32(bytes + 16) == 0 &&
        (coloursUsed == 0 || coloursUsed == 16);
}

bool StandardPalette(const std::uint8_t* quads)
{
    for (std::uint32_t rgb : kStandardPalette) {  // RGBQUAD: blue, green, red, 0
        if (quads[0] != (rgb & 0xFF) || quads[1] != (rgb >> 8 & 0xFF) || quads[2] != (rgb >> 16) || quads[3] != 0) {
            return false;
        }
        quads += 4;
    }
    return true;
}

}  // namespace

bool DecodeGlyphPicture(GlyphBits bits, GlyphPixels& picture)
{
    if (!bits.bytes || bits.size < kGlyphPictureBytes || !StandardHeader(bits.bytes) ||
        !StandardPalette(bits.bytes + kHeaderBytes)) {
        return false;
    }
    for (int y = 0; y < kGlyphSide; ++y) {
        const std::uint8_t* colourRow = bits.bytes + kColourOffset + y * kColourRowBytes;
        const std::uint8_t* maskRow = bits.bytes + kMaskOffset + y * kMaskRowBytes;
        for (int x = 0; x < kGlyphSide; ++x) {
            const int pixel = y * kGlyphSide + x;
            const std::uint8_t pair = colourRow[x / 2];
            picture.colour[pixel] = static_cast<std::uint8_t>(x % 2 == 0 ? pair >> 4 : pair & 0x0F);
            picture.transparent[pixel] = (maskRow[x / 8] & (0x80 >> (x % 8))) != 0;
        }
    }
    return true;
}

namespace {

std::size_t ColourRowBytes(int side) { return static_cast<std::size_t>((side * 4 + 31) / 32 * 4); }
std::size_t MaskRowBytes(int side) { return static_cast<std::size_t>((side + 31) / 32 * 4); }

void PutHeaderAndPalette(std::uint8_t* bytes, int side, std::size_t imageBytes)
{
    Put32(&bytes[0], kHeaderBytes);
    Put32(&bytes[4], static_cast<std::uint32_t>(side));
    Put32(&bytes[8], static_cast<std::uint32_t>(2 * side));
    Put16(&bytes[12], 1);
    Put16(&bytes[14], 4);
    Put32(&bytes[20], static_cast<std::uint32_t>(imageBytes));
    Put32(&bytes[32], 16);
    std::uint8_t* quad = &bytes[kHeaderBytes];
    for (std::uint32_t rgb : kStandardPalette) {
        quad[0] = static_cast<std::uint8_t>(rgb);
        quad[1] = static_cast<std::uint8_t>(rgb >> 8);
        quad[2] = static_cast<std::uint8_t>(rgb >> 16);
        quad += 4;
    }
}

}  // namespace

GlyphPictureBytes EncodeGlyphPicture(const GlyphPixels& picture)
{
    // At 16 pixels the enlarged form is the glyph files' own, byte for byte.
    const std::vector<std::uint8_t> enlarged = EnlargeGlyphPicture(picture, kGlyphSide);
    GlyphPictureBytes bytes{};
    std::copy(enlarged.begin(), enlarged.end(), bytes.begin());
    return bytes;
}

int GlyphEnlargement(int side)
{
    return side < kGlyphSide ? 1 : side / kGlyphSide;
}

std::vector<std::uint8_t> EnlargeGlyphPicture(const GlyphPixels& picture, int side)
{
    if (side < kGlyphSide || side > kLargestPictureSide) {
        return {};
    }
    const int factor = GlyphEnlargement(side);
    const int offset = (side - factor * kGlyphSide) / 2;  // the padding left and below
    const std::size_t colourRow = ColourRowBytes(side);
    const std::size_t maskRow = MaskRowBytes(side);
    const std::size_t colourOffset = kHeaderBytes + kPaletteBytes;
    const std::size_t maskOffset = colourOffset + colourRow * static_cast<std::size_t>(side);
    std::vector<std::uint8_t> bytes(maskOffset + maskRow * static_cast<std::size_t>(side), 0);
    PutHeaderAndPalette(bytes.data(), side, bytes.size() - colourOffset);
    for (int y = 0; y < side; ++y) {  // bottom row first, as stored
        for (int x = 0; x < side; ++x) {
            const int sourceX = x - offset;
            const int sourceY = y - offset;
            const bool inside = sourceX >= 0 && sourceY >= 0 && sourceX < factor * kGlyphSide &&
                sourceY < factor * kGlyphSide;
            const int pixel = inside ? sourceY / factor * kGlyphSide + sourceX / factor : -1;
            const std::uint8_t colour = inside ? picture.colour[static_cast<std::size_t>(pixel)] : 0;
            const bool transparent = !inside || picture.transparent[static_cast<std::size_t>(pixel)];
            std::uint8_t& pair = bytes[colourOffset + colourRow * static_cast<std::size_t>(y) + static_cast<std::size_t>(x / 2)];
            pair |= static_cast<std::uint8_t>(x % 2 == 0 ? colour << 4 : colour);
            if (transparent) {
                bytes[maskOffset + maskRow * static_cast<std::size_t>(y) + static_cast<std::size_t>(x / 8)] |=
                    static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
        }
    }
    return bytes;
}

bool ComposeGlyphPictures(const GlyphBits* layers, std::size_t count, GlyphPictureBytes& out)
{
    GlyphPixels result;
    GlyphPixels layer;
    for (std::size_t i = 0; i < count; ++i) {
        if (!DecodeGlyphPicture(layers[i], layer)) {
            return false;
        }
        for (int pixel = 0; pixel < kGlyphSide * kGlyphSide; ++pixel) {
            if (layer.transparent[pixel] && layer.colour[pixel] != 0) {
                return false;
            }
            if (i == 0 || !layer.transparent[pixel]) {
                result.colour[pixel] = layer.colour[pixel];
                result.transparent[pixel] = layer.transparent[pixel];
            }
        }
    }
    if (count == 0) {
        return false;
    }
    out = EncodeGlyphPicture(result);
    return true;
}

int SoleGlyphIconId(const std::uint8_t* directory, std::size_t size)
{
    constexpr std::size_t kDirectoryBytes = 6;
    constexpr std::size_t kEntryBytes = 14;
    if (!directory || size < kDirectoryBytes + kEntryBytes) {
        return 0;
    }
    const std::uint8_t* entry = directory + kDirectoryBytes;
    const bool soleIcon = Read16(directory) == 0 && Read16(directory + 2) == 1 && Read16(directory + 4) == 1;
    if (!soleIcon || entry[0] != kGlyphSide || entry[1] != kGlyphSide) {
        return 0;
    }
    return static_cast<int>(Read16(entry + 12));
}
