#include "ico_writer.h"

#include <fstream>

namespace {

void Put16(std::vector<std::uint8_t>& out, unsigned value)
{
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

// One image: BITMAPINFOHEADER (height doubled for colour + mask), palette, colour rows
// and mask rows, both bottom-up and padded to 32 bits.
std::vector<std::uint8_t> ImageBytes(const glyph_art::Picture& picture)
{
    const int size = picture.size;
    const int colourRow = ((size * 4 + 31) / 32) * 4;
    const int maskRow = ((size + 31) / 32) * 4;
    std::vector<std::uint8_t> out;
    Put32(out, 40);
    Put32(out, size);
    Put32(out, size * 2);
    Put16(out, 1);
    Put16(out, 4);
    Put32(out, 0);                                   // BI_RGB
    Put32(out, (colourRow + maskRow) * size);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 16);
    Put32(out, 0);
    for (std::uint32_t rgb : glyph_art::kPalette) {  // RGBQUAD: blue, green, red, 0
        out.push_back(static_cast<std::uint8_t>(rgb));
        out.push_back(static_cast<std::uint8_t>(rgb >> 8));
        out.push_back(static_cast<std::uint8_t>(rgb >> 16));
        out.push_back(0);
    }
    for (int y = size - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(colourRow, 0);
        for (int x = 0; x < size; ++x) {
            const std::uint8_t colour = picture.At(x, y);
            // Transparent pixels are black in the colour plane so the mask alone decides.
            const std::uint8_t index = colour == glyph_art::PAL_TRANSPARENT ? 0 : colour;
            row[x / 2] |= static_cast<std::uint8_t>((x % 2 == 0) ? index << 4 : index);
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    for (int y = size - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(maskRow, 0);
        for (int x = 0; x < size; ++x) {
            if (picture.At(x, y) == glyph_art::PAL_TRANSPARENT) {
                row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

}  // namespace

std::vector<std::uint8_t> IconFileBytes(const std::vector<glyph_art::Picture>& pictures)
{
    std::vector<std::vector<std::uint8_t>> images;
    for (const glyph_art::Picture& picture : pictures) {
        images.push_back(ImageBytes(picture));
    }
    std::vector<std::uint8_t> out;
    Put16(out, 0);
    Put16(out, 1);                                   // icon
    Put16(out, static_cast<unsigned>(images.size()));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        out.push_back(static_cast<std::uint8_t>(pictures[i].size));
        out.push_back(static_cast<std::uint8_t>(pictures[i].size));
        out.push_back(16);                           // colours
        out.push_back(0);
        Put16(out, 1);                               // planes
        Put16(out, 4);                               // bits per pixel
        Put32(out, static_cast<std::uint32_t>(images[i].size()));
        Put32(out, offset);
        offset += static_cast<std::uint32_t>(images[i].size());
    }
    for (const std::vector<std::uint8_t>& image : images) {
        out.insert(out.end(), image.begin(), image.end());
    }
    return out;
}

bool WriteIconFile(const std::string& path, const std::vector<glyph_art::Picture>& pictures)
{
    const std::vector<std::uint8_t> bytes = IconFileBytes(pictures);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}
