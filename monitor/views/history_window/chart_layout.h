// Where a temperature chart's lines, ticks and labels go, in pixels: a pure function of
// the points, the time range, the chart's size and each drive's warning temperature, so
// the history window and the viewer's small chart draw what the tests check.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// One point of a line: a reading (span 0) or a bucket of readings [time, time + span).
// A point without a temperature (0) or asleep breaks the line.
struct ChartSample {
    std::int64_t time = 0;
    std::int32_t span = 0;
    std::uint8_t temperature = 0;  // °C, the reading or the bucket's mean; 0 = none
    std::uint8_t low = 0, high = 0;  // the bucket's min and max (a reading: its value)
    bool asleep = false;
};

struct ChartSeries {
    std::vector<ChartSample> samples;  // oldest first
    std::uint8_t warning = 0;          // the drive's own warning temperature, 0 = none
};

struct ChartPixel {
    int x = 0, y = 0;
};

struct ChartRect {
    int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
};

struct ChartTick {
    int position = 0;  // x for time ticks, y for temperature ticks
    std::string label;
};

struct ChartSeriesLayout {
    std::vector<std::vector<ChartPixel>> runs;  // one polyline per stretch without a gap
    // A bucket whose readings differed: a vertical stroke from its max (first) to its min.
    std::vector<std::pair<ChartPixel, ChartPixel>> spreads;
    bool hasWarning = false;
    int warningY = 0;
};

// What the caller knows of its display: the chart's size, the labels' pixel sizes (at the
// display's scale) and the local time's offset from UTC, for where the ticks fall.
struct ChartFrame {
    std::int64_t from = 0, to = 0;  // seconds since 1970 UTC
    int width = 0, height = 0;
    int charWidth = 7, lineHeight = 14;
    std::int64_t utcOffset = 0;     // local time = UTC + utcOffset
};

struct ChartLayout {
    ChartRect plot;             // the lines' area, inside the axes' labels
    int lowTemperature = 0;     // the plot's bottom and top edge in °C
    int highTemperature = 0;
    std::vector<ChartTick> timeTicks;
    std::vector<ChartTick> temperatureTicks;
    std::vector<ChartSeriesLayout> series;  // one per input series, same order
};

ChartLayout LayOutChart(const ChartFrame& frame, const std::vector<ChartSeries>& series);

// The point nearest a pixel: the series whose line passes closest to it at that x, within
// `reach` pixels. found is false off the plot or when no line comes that near.
struct ChartHit {
    bool found = false;
    unsigned series = 0;
    std::size_t sample = 0;
    ChartPixel at;  // where the point is drawn
};
ChartHit HitTestChart(const ChartFrame& frame, const ChartLayout& layout, const std::vector<ChartSeries>& series,
                      ChartPixel pixel, int reach);

// "2026-12-01 14:05" in the local time the frame's offset gives.
std::string ChartTimeText(std::int64_t time, std::int64_t utcOffset);
