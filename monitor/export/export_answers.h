// ExportAnswers: the finished answers of the export services for the last published
// snapshot. The first reader after a publish builds them (the main thread that publishes
// is never held up by it); every later reader until the next publish shares the same
// immutable texts, so a connection costs neither a snapshot copy nor a page build.
#pragma once

#include "drive_snapshot.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

using SharedText = std::shared_ptr<const std::string>;

struct PublishedAnswers {
    std::uint64_t generation = 0;  // of the snapshot they were built from
    SharedText hddtemp;            // the hddtemp line
    SharedText metrics;            // HTTP head and metrics page
    SharedText metricsHead;        // the same head alone, for HEAD requests
};

class ExportAnswers {
public:
    // `board` must outlive this.
    ExportAnswers(const SnapshotBoard& board, std::string version);
    ExportAnswers(const ExportAnswers&) = delete;
    ExportAnswers& operator=(const ExportAnswers&) = delete;

    // The answers of the snapshot published last; built here when it is newer than the
    // ones kept. Safe from any thread.
    PublishedAnswers Current();

private:
    const SnapshotBoard& board_;
    const std::string version_;
    std::mutex mutex_;
    PublishedAnswers kept_;  // hddtemp is null until the first build
};
