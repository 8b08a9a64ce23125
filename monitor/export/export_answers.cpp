#include "export_answers.h"

#include "hddtemp_text.h"
#include "http_request.h"
#include "metrics_text.h"

#include <utility>

ExportAnswers::ExportAnswers(const SnapshotBoard& board, std::string version)
    : board_(board), version_(std::move(version))
{
}

PublishedAnswers ExportAnswers::Current()
{
    // Readers wait here only while the first of them after a publish builds; the board's
    // own lock is held just for the copy, so the publisher never waits for a build.
    std::lock_guard<std::mutex> lock(mutex_);
    if (kept_.hddtemp != nullptr && kept_.generation == board_.Generation()) {
        return kept_;
    }
    std::uint64_t generation = 0;
    const DriveSnapshot snapshot = board_.Copy(generation);
    const std::string page = BuildMetricsText(snapshot, version_.c_str());
    kept_.generation = generation;
    kept_.hddtemp = std::make_shared<const std::string>(BuildHddtempAnswer(snapshot));
    kept_.metrics = std::make_shared<const std::string>(BuildHttpResponse(200, kMetricsContentType, page, false));
    kept_.metricsHead = std::make_shared<const std::string>(BuildHttpResponse(200, kMetricsContentType, page, true));
    return kept_;
}
