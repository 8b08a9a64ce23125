// Server-drawn SVG charts of a drive's history: the temperature with its warning line,
// and one small step chart per count. Plain shapes styled by /app.css; no script.
#pragma once

#include "history_store.h"
#include "language.h"

#include <cstdint>
#include <string>
#include <vector>

// The most points a page's chart draws (its width in the view box's units).
constexpr unsigned kChartPoints = 180;

// The temperature from `from` to `to`; gaps where the drive slept, gave none or nothing
// was recorded. `warning`: the drive's own warning temperature (0: no line). An empty
// history gives a short note instead.
std::string TemperatureChart(const std::vector<HistoryPoint>& points, std::int64_t from, std::int64_t to,
                             unsigned warning, const std::string& noHistoryWords);
// Each count known in the points, as a step chart with its name and its first and last value.
std::string CountTrends(const std::vector<HistoryPoint>& points, std::int64_t from, std::int64_t to,
                        Language language, const std::string& noHistoryWords);
