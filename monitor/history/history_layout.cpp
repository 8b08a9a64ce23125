#include "history_layout.h"

#include <cstring>
#include <memory>

std::uint32_t HistoryCrc32(const void* bytes, std::size_t size, std::uint32_t crc)
{
    static const struct Table {
        std::uint32_t entries[256];
        Table()
        {
            for (std::uint32_t i = 0; i < 256; ++i) {
                std::uint32_t c = i;
                for (int bit = 0; bit < 8; ++bit)
                    c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
                entries[i] = c;
            }
        }
    } table;
    const auto* p = static_cast<const unsigned char*>(bytes);
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i)
        crc = table.entries[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

namespace {

const char* CheckSlot(const HistorySlot& slot)
{
    if (slot.identity[0] == '\0' || std::memchr(slot.identity, '\0', sizeof(slot.identity)) == nullptr)
        return "has a drive without a name";
    if (slot.firstTime < 0 || slot.lastTime >= kHistoryTimeLimit)
        return "has a time out of range";
    if (slot.firstTime > slot.lastTime)
        return "has a drive whose history ends before it starts";
    if (slot.changeCount > kHistoryChanges)
        return "has too many count changes";
    for (std::uint32_t i = 0; i < slot.changeCount; ++i) {
        if (slot.changes[i].field >= kHistoryFields)
            return "has a change of an unknown count";
    }
    return nullptr;
}

}  // namespace

const char* CheckHistoryImage(const std::string& image, std::uint32_t& count)
{
    HistoryFileHeader header;
    const HistoryFileHeader expected;
    if (image.size() < sizeof(header))
        return "is too short for a history file";
    std::memcpy(&header, image.data(), sizeof(header));
    if (std::memcmp(header.magic, expected.magic, sizeof(header.magic)) != 0)
        return "is no history file";
    if (header.version != expected.version || header.slotBytes != expected.slotBytes)
        return "has a layout this version does not read";
    if (header.slotCount > kHistorySlots)
        return "has more drives than a history holds";
    if (image.size() != sizeof(header) + std::size_t(header.slotCount) * sizeof(HistorySlot))
        return "is cut short or too long";
    if (HistoryCrc32(image.data() + sizeof(header), image.size() - sizeof(header)) != header.checksum)
        return "fails its checksum";
    const char* offsetBase = image.data() + sizeof(header);
    // Read through a copy: the image's bytes need not be aligned for the slot.
    std::unique_ptr<HistorySlot> slot(new HistorySlot);
    for (std::uint32_t i = 0; i < header.slotCount; ++i) {
        std::memcpy(slot.get(), offsetBase + std::size_t(i) * sizeof(HistorySlot), sizeof(HistorySlot));
        if (const char* why = CheckSlot(*slot))
            return why;
        for (std::uint32_t j = 0; j < i; ++j) {
            const char* other = offsetBase + std::size_t(j) * sizeof(HistorySlot);
            if (std::strncmp(other, slot->identity, kHistoryIdentitySize) == 0)
                return "has a drive twice";
        }
    }
    count = header.slotCount;
    return nullptr;
}
