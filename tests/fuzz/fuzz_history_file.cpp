// Arbitrary bytes as a history file: opening never crashes, reads outside the file or
// keeps a bad file; what opens answers every question and takes a new measurement.
// With the first byte odd, the input patches a well-formed file of two slots instead
// (offset, length, bytes ...) and the checksum is made to match, so the slots' own checks
// and the readers behind them get arbitrary contents too.
#include "history_layout.h"
#include "history_store.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string Patched(const std::uint8_t* data, std::size_t size)
{
    HistoryFileHeader header;
    header.slotCount = 2;
    std::string image(sizeof(header) + 2 * sizeof(HistorySlot), '\0');
    const std::size_t area = image.size() - sizeof(header);
    // Two named slots, so that a patch need not find the names first.
    std::memcpy(&image[sizeof(header)], "A:1:X", 5);
    std::memcpy(&image[sizeof(header) + sizeof(HistorySlot)], "B:1:Y", 5);
    std::size_t at = 1;
    while (at + 4 <= size) {
        const std::size_t offset = (std::size_t(data[at]) | std::size_t(data[at + 1]) << 8 |
                                    std::size_t(data[at + 2]) << 16) % area;
        std::size_t length = data[at + 3];
        at += 4;
        length = std::min({length, size - at, area - offset});
        std::memcpy(&image[sizeof(header) + offset], data + at, length);
        at += length;
    }
    header.checksum = HistoryCrc32(image.data() + sizeof(header), area);
    std::memcpy(&image[0], &header, sizeof(header));
    return image;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string path = "/tmp/fuzz_history_" + std::to_string(getpid());
    const std::string bytes = size > 0 && (data[0] & 1) ? Patched(data, size)
                                                        : std::string(reinterpret_cast<const char*>(data), size);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return 0;
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    std::remove((path + ".bad").c_str());

    HistoryStore store(path, [](const char*) {});
    DriveSnapshot snapshot;
    snapshot.taken = true;
    for (const HistoryDrive& drive : store.Drives()) {
        if (std::strlen(drive.identity) >= sizeof(drive.identity))
            std::abort();
        for (unsigned maxPoints : {0u, 7u}) {
            const auto points = store.Points(drive.identity, drive.firstTime - 86400, drive.lastTime, maxPoints);
            if (maxPoints != 0 && points.size() > maxPoints)
                std::abort();
            HistoryCsv(points);
        }
        // The drive measured again, at its last time and a day before it (the clock set back).
        DriveSnapshotEntry& entry = snapshot.drives[0];
        const char* firmware = std::strchr(drive.identity, ':');
        const char* serial = firmware != nullptr ? std::strchr(firmware + 1, ':') : nullptr;
        if (serial == nullptr)
            continue;
        std::snprintf(entry.model, sizeof(entry.model), "%.*s", int(firmware - drive.identity), drive.identity);
        std::snprintf(entry.firmware, sizeof(entry.firmware), "%.*s", int(serial - firmware - 1), firmware + 1);
        std::snprintf(entry.serial, sizeof(entry.serial), "%s", serial + 1);
        snapshot.count = 1;
        store.Record(snapshot, drive.lastTime);
        store.Record(snapshot, drive.lastTime - 86400);
    }
    std::remove(path.c_str());
    std::remove((path + ".bad").c_str());
    return 0;
}
