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

const char* ReadHistoryFile(std::FILE* file, std::vector<std::unique_ptr<HistorySlot>>& slots, bool& readError)
{
    readError = false;
    HistoryFileHeader header;
    const HistoryFileHeader expected;
    const auto fail = [&](const char* why) {
        readError = std::ferror(file) != 0;
        return readError ? "cannot be read" : why;
    };
    if (std::fread(&header, 1, sizeof(header), file) != sizeof(header))
        return fail("is too short for a history file");
    if (std::memcmp(header.magic, expected.magic, sizeof(header.magic)) != 0)
        return "is no history file";
    if (header.version != expected.version || header.slotBytes != expected.slotBytes)
        return "has a layout this version does not read";
    if (header.slotCount > kHistorySlots)
        return "has more drives than a history holds";
    std::uint32_t crc = 0;
    for (std::uint32_t i = 0; i < header.slotCount; ++i) {
        std::unique_ptr<HistorySlot> slot(new HistorySlot);
        if (std::fread(slot.get(), 1, sizeof(HistorySlot), file) != sizeof(HistorySlot))
            return fail("is cut short or too long");
        crc = HistoryCrc32(slot.get(), sizeof(HistorySlot), crc);
        slots.push_back(std::move(slot));
    }
    if (std::fgetc(file) != EOF)
        return "is cut short or too long";
    if (std::ferror(file))
        return fail("cannot be read");
    if (crc != header.checksum)
        return "fails its checksum";
    for (std::size_t i = 0; i < slots.size(); ++i) {
        if (const char* why = CheckSlot(*slots[i]))
            return why;
        for (std::size_t j = 0; j < i; ++j) {
            if (std::strncmp(slots[j]->identity, slots[i]->identity, kHistoryIdentitySize) == 0)
                return "has a drive twice";
        }
    }
    return nullptr;
}
