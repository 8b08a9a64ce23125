// What the history window draws for each drive: its points as a chart line, its colour
// and its name.
#pragma once

#include "chart_layout.h"
#include "history_store.h"
#include "settings.h"

#include <string>
#include <vector>

// The drive's points as the chart takes them: a bucket at its mean, with its min and max.
std::vector<ChartSample> ChartSamplesOf(const std::vector<HistoryPoint>& points);

// The colour of the line of the drive at legend position `index`: the monitor window's
// bar colours first (green, cyan, yellow, blue by default; never the hottest level's,
// which means "too hot"), then four more, over again after eight.
COLORREF HistoryLineColour(unsigned index, const Settings& settings);

// The model part of an identity ("model:firmware:serial"), for a drive no longer present.
std::string ModelOfIdentity(const char* identity);
