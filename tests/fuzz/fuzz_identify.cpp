// Random IDENTIFY sectors through the identity texts: every text stays terminated inside
// its field and nothing outside the sector is read.
#include "drive_enumeration.h"
#include "identity_text.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace {

void CheckText(const char* text, std::size_t size)
{
    if (std::memchr(text, '\0', size) == nullptr) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Exactly 512 bytes on the heap, so the sanitizer sees any read past the sector.
    auto sector = std::make_unique<std::uint8_t[]>(512);
    std::memcpy(sector.get(), data, size < 512 ? size : 512);

    DriveRecord record;
    record.identifyResult = sector.get();
    CopyIdString(record.model, sector.get() + 54, 40);
    CopyIdString(record.firmware, sector.get() + 46, 8);
    CopyIdString(record.serial, sector.get() + 20, 20);
    FormatDriveIdentity(record);
    CheckText(record.model, sizeof(record.model));
    CheckText(record.firmware, sizeof(record.firmware));
    CheckText(record.serial, sizeof(record.serial));
    CheckText(record.capacityText, sizeof(record.capacityText));
    CheckText(record.transferModeText, sizeof(record.transferModeText));

    // Any even field of the sector, as the S.M.A.R.T. viewer copies them.
    if (size > 512) {
        const unsigned offset = (data[512] % 255) * 2;
        const unsigned length = static_cast<unsigned>(((size > 513 ? data[513] : 0) % 32) * 2);
        if (offset + length <= 512) {
            char text[64] = {};
            CopyIdString(text, sector.get() + offset, static_cast<std::uint16_t>(length));
            if (std::memchr(text, '\0', sizeof(text)) == nullptr) {
                __builtin_trap();
            }
        }
    }
    return 0;
}
