// The history store's figures against yardsticks of the same run: Record per drive per
// measurement against copying the snapshot (what each publish does anyway), a Flush
// against a plain synced write of the same bytes, and the memory and file of 16 drives
// after five years against the 2 MB cap.
#include "history_store.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

DriveSnapshot SixteenDrives()
{
    DriveSnapshot snapshot;
    snapshot.taken = true;
    for (unsigned i = 0; i < kMaxDrives; ++i) {
        DriveSnapshotEntry& drive = snapshot.drives[snapshot.count++];
        drive.driveNumber = i;
        drive.condition = DriveCondition::Temperature;
        drive.temperature = std::uint8_t(30 + i);
        std::snprintf(drive.model, sizeof(drive.model), "KVX BENCH %u", i);
        std::snprintf(drive.serial, sizeof(drive.serial), "KVX%08u", i);
        drive.verdict.countsKnown = 0x3F;
    }
    return snapshot;
}

bool PlainWrite(const std::string& path, const std::string& bytes)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const bool ok = write(fd, bytes.data(), bytes.size()) == ssize_t(bytes.size()) && fsync(fd) == 0;
    close(fd);
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string folder = argc > 1 ? argv[1] : "/tmp";
    const std::string path = folder + "/bench_history." + std::to_string(getpid());
    const std::int64_t start = 20000LL * 86400;
    DriveSnapshot snapshot = SixteenDrives();
    {
        // Five years of a reading every 10 minutes: every ring has gone round.
        HistoryStore store(path);
        const std::int64_t interval = 600, end = start + 1826LL * 86400;
        for (std::int64_t now = start; now < end; now += interval) {
            for (unsigned i = 0; i < snapshot.count; ++i)
                snapshot.drives[i].temperature = std::uint8_t(30 + (now / 86400 + i) % 20);
            store.Record(snapshot, now);
        }
        store.Flush(end, 0);
        std::printf("=== 16 drives after five years (cap 2,000,000 bytes)\n");
        std::printf("  memory %zu bytes (%.2f of the cap), file %zu bytes (%.2f of the cap)\n", store.MemoryBytes(),
                    store.MemoryBytes() / 2e6, store.FileBytes(), store.FileBytes() / 2e6);

        // Record at one reading a second, against copying the snapshot once per reading.
        const int rounds = 200000;
        std::int64_t now = end;
        auto began = Clock::now();
        for (int k = 0; k < rounds; ++k)
            store.Record(snapshot, ++now);
        const double record = Seconds(began) / rounds / snapshot.count;
        std::vector<DriveSnapshot> copies(2);
        began = Clock::now();
        for (int k = 0; k < rounds; ++k) {
            std::memcpy(&copies[k & 1], &snapshot, sizeof(snapshot));
            snapshot.drives[0].temperature = copies[(k + 1) & 1].drives[0].temperature;
        }
        const double copy = Seconds(began) / rounds / snapshot.count;
        std::printf("=== Record, per drive per measurement\n");
        std::printf("  %.0f ns; copying the snapshot %.0f ns a drive: ratio %.1f\n", record * 1e9, copy * 1e9,
                    record / copy);

        // A flush of the full store against writing and syncing the same bytes.
        const int flushes = 20;
        const std::string bytes(store.FileBytes(), 'x');
        double flush = 0, plain = 0;
        for (int k = 0; k < flushes; ++k) {
            store.Record(snapshot, ++now);
            began = Clock::now();
            if (!store.Flush(now, 0)) {
                std::printf("bench: the flush failed\n");
                return 1;
            }
            flush += Seconds(began);
            began = Clock::now();
            if (!PlainWrite(path + ".plain", bytes)) {
                std::printf("bench: the plain write failed\n");
                return 1;
            }
            plain += Seconds(began);
        }
        std::printf("=== Flush of 16 drives (%zu bytes)\n", bytes.size());
        std::printf("  %.2f ms; a plain synced write of the same bytes %.2f ms: ratio %.2f\n", flush / flushes * 1e3,
                    plain / flushes * 1e3, flush / plain);
    }
    std::remove(path.c_str());
    std::remove((path + ".plain").c_str());
    return 0;
}
