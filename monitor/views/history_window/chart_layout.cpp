#include "chart_layout.h"

#include "civil_time.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>

namespace {

constexpr std::int64_t kDay = 86400;

// Steps the time axis may take, finest first; the first whose labels do not crowd wins.
constexpr std::int64_t kTimeSteps[] = {60, 120, 300, 600, 900, 1800, 3600, 7200, 10800, 21600, 43200,
                                       kDay, 2 * kDay, 7 * kDay, 14 * kDay, 30 * kDay, 91 * kDay};
constexpr int kTemperatureSteps[] = {1, 5, 10, 20, 50};

bool Plotted(const ChartSample& sample)
{
    return !sample.asleep && sample.temperature != 0;
}

std::int64_t FloorDiv(std::int64_t value, std::int64_t divisor)
{
    return value >= 0 ? value / divisor : -((-value + divisor - 1) / divisor);
}

std::string TickLabel(std::int64_t time, std::int64_t step, std::int64_t utcOffset)
{
    const std::int64_t local = time + utcOffset;
    const std::int64_t days = FloorDiv(local, kDay);
    const std::int64_t seconds = local - days * kDay;
    char text[16];
    if (step < kDay) {
        std::snprintf(text, sizeof text, "%02d:%02d", static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60));
    } else {
        int year = 0;
        unsigned month = 0, day = 0;
        CivilFromDays(days, year, month, day);
        std::snprintf(text, sizeof text, "%02u-%02u", month, day);
    }
    return text;
}

struct Scale {
    ChartRect plot;
    std::int64_t from = 0, to = 1;
    int low = 0, high = 1;

    int X(std::int64_t time) const
    {
        const double share = static_cast<double>(time - from) / static_cast<double>(to - from);
        return plot.left + static_cast<int>(std::lround(share * (plot.right - plot.left - 1)));
    }
    int Y(int temperature) const
    {
        const double share = static_cast<double>(temperature - low) / static_cast<double>(high - low);
        return plot.bottom - 1 - static_cast<int>(std::lround(share * (plot.bottom - plot.top - 1)));
    }
};

// A bucket is drawn at its middle.
std::int64_t DrawnTime(const ChartSample& sample)
{
    return sample.time + sample.span / 2;
}

bool InRange(const ChartSample& sample, const ChartFrame& frame)
{
    return sample.time + sample.span >= frame.from && sample.time <= frame.to;
}

// Points further apart than three times the series' usual step are not joined: the
// program was not running, or the store has nothing there.
std::int64_t GapLimit(const std::vector<ChartSample>& samples)
{
    std::vector<std::int64_t> steps;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        steps.push_back(samples[i].time - samples[i - 1].time);
    }
    if (steps.empty()) {
        return 0;
    }
    std::nth_element(steps.begin(), steps.begin() + steps.size() / 2, steps.end());
    return std::max<std::int64_t>(3 * steps[steps.size() / 2], 1);
}

void TemperatureBounds(const ChartFrame& frame, const std::vector<ChartSeries>& series, int& low, int& high)
{
    int least = 1000, most = -1000;
    for (const ChartSeries& one : series) {
        for (const ChartSample& sample : one.samples) {
            if (Plotted(sample) && InRange(sample, frame)) {
                least = std::min<int>(least, sample.low != 0 ? sample.low : sample.temperature);
                most = std::max<int>(most, std::max(sample.high, sample.temperature));
            }
        }
        if (one.warning != 0) {
            least = std::min<int>(least, one.warning);
            most = std::max<int>(most, one.warning);
        }
    }
    if (least > most) {
        least = 20;
        most = 50;
    }
    low = static_cast<int>(FloorDiv(least - 2, 5) * 5);
    high = static_cast<int>(FloorDiv(most + 2 + 4, 5) * 5);
    if (high - low < 10) {
        high = low + 10;
    }
}

}  // namespace

ChartLayout LayOutChart(const ChartFrame& frame, const std::vector<ChartSeries>& series)
{
    ChartLayout layout;
    const int charWidth = std::max(frame.charWidth, 1);
    const int lineHeight = std::max(frame.lineHeight, 1);
    layout.plot.left = std::min(frame.width, charWidth * 4);
    layout.plot.top = std::min(frame.height, lineHeight / 2);
    layout.plot.right = std::max(layout.plot.left + 1, frame.width - charWidth * 3);
    layout.plot.bottom = std::max(layout.plot.top + 1, frame.height - lineHeight - lineHeight / 4);
    TemperatureBounds(frame, series, layout.lowTemperature, layout.highTemperature);

    const int plotWidth = layout.plot.right - layout.plot.left;
    const int plotHeight = layout.plot.bottom - layout.plot.top;
    // Labels two lines apart at least; the edges move out to whole steps, so the lowest
    // and highest labels sit on the plot's edges.
    const int span = layout.highTemperature - layout.lowTemperature;
    int temperatureStep = kTemperatureSteps[std::size(kTemperatureSteps) - 1];
    for (int step : kTemperatureSteps) {
        if (static_cast<long long>(plotHeight) * step >= 2LL * lineHeight * span) {
            temperatureStep = step;
            break;
        }
    }
    layout.lowTemperature = static_cast<int>(FloorDiv(layout.lowTemperature, temperatureStep)) * temperatureStep;
    layout.highTemperature = static_cast<int>(FloorDiv(layout.highTemperature + temperatureStep - 1, temperatureStep)) * temperatureStep;

    Scale scale;
    scale.plot = layout.plot;
    scale.from = frame.from;
    scale.to = std::max(frame.to, frame.from + 1);
    scale.low = layout.lowTemperature;
    scale.high = layout.highTemperature;
    for (int value = layout.lowTemperature; value <= layout.highTemperature; value += temperatureStep) {
        layout.temperatureTicks.push_back({scale.Y(value), std::to_string(value)});
    }

    const std::int64_t seconds = scale.to - scale.from;
    std::int64_t timeStep = kTimeSteps[std::size(kTimeSteps) - 1];
    for (std::int64_t step : kTimeSteps) {
        if (static_cast<double>(plotWidth) * static_cast<double>(step) >= 8.0 * charWidth * static_cast<double>(seconds)) {
            timeStep = step;
            break;
        }
    }
    if (timeStep < 30 * kDay) {
        for (std::int64_t tick = (FloorDiv(scale.from + frame.utcOffset - 1, timeStep) + 1) * timeStep - frame.utcOffset;
             tick <= scale.to; tick += timeStep) {
            layout.timeTicks.push_back({scale.X(tick), TickLabel(tick, timeStep, frame.utcOffset)});
        }
    } else {
        // Months (or quarters) start on their first day, not every thirty days.
        const unsigned months = timeStep < 91 * kDay ? 1 : 3;
        int year = 0;
        unsigned month = 0, day = 0;
        CivilFromDays(FloorDiv(scale.from + frame.utcOffset, kDay), year, month, day);
        month = (month - 1) / months * months + 1;
        for (;;) {
            const std::int64_t tick = DaysFromCivil(year, month, 1) * kDay - frame.utcOffset;
            if (tick > scale.to) {
                break;
            }
            if (tick >= scale.from) {
                char label[16];
                std::snprintf(label, sizeof label, "%04d-%02u", year, month);
                layout.timeTicks.push_back({scale.X(tick), label});
            }
            month += months;
            if (month > 12) {
                month -= 12;
                ++year;
            }
        }
    }

    for (const ChartSeries& one : series) {
        ChartSeriesLayout drawn;
        if (one.warning != 0) {
            drawn.hasWarning = true;
            drawn.warningY = scale.Y(one.warning);
        }
        const std::int64_t gapLimit = GapLimit(one.samples);
        std::vector<std::int32_t> lone;  // the span of each run's first point
        bool joined = false;
        std::int64_t previous = 0;
        for (const ChartSample& sample : one.samples) {
            if (!Plotted(sample) || !InRange(sample, frame)) {
                joined = false;
                continue;
            }
            if (!joined || sample.time - previous > gapLimit) {
                drawn.runs.emplace_back();
                lone.push_back(sample.span);
            }
            const ChartPixel pixel{scale.X(std::clamp(DrawnTime(sample), scale.from, scale.to)), scale.Y(sample.temperature)};
            drawn.runs.back().push_back(pixel);
            if (sample.low != 0 && sample.low < sample.high) {
                drawn.spreads.push_back({{pixel.x, scale.Y(sample.high)}, {pixel.x, scale.Y(sample.low)}});
            }
            joined = true;
            previous = sample.time;
        }
        // A lone point is no line: it is drawn across its bucket, at least a few pixels wide.
        for (auto& run : drawn.runs) {
            if (run.size() == 1) {
                const ChartPixel middle = run[0];
                const int half = std::max(2, (scale.X(scale.from + lone[&run - drawn.runs.data()]) - scale.X(scale.from)) / 2);
                // Kept whole at the plot's edges (the newest minute is at the right one).
                const int from = std::clamp(middle.x - half, layout.plot.left, std::max(layout.plot.left, layout.plot.right - 1 - 2 * half));
                run = {{from, middle.y}, {std::min(layout.plot.right - 1, from + 2 * half), middle.y}};
            }
        }
        layout.series.push_back(std::move(drawn));
    }
    return layout;
}

ChartHit HitTestChart(const ChartFrame& frame, const ChartLayout& layout, const std::vector<ChartSeries>& series,
                      ChartPixel pixel, int reach)
{
    ChartHit hit;
    const ChartRect& plot = layout.plot;
    if (pixel.x < plot.left - reach || pixel.x >= plot.right + reach || pixel.y < plot.top - reach
        || pixel.y >= plot.bottom + reach) {
        return hit;
    }
    Scale scale;
    scale.plot = plot;
    scale.from = frame.from;
    scale.to = std::max(frame.to, frame.from + 1);
    scale.low = layout.lowTemperature;
    scale.high = layout.highTemperature;
    long long best = static_cast<long long>(reach) * reach;
    for (unsigned s = 0; s < series.size(); ++s) {
        const std::vector<ChartSample>& samples = series[s].samples;
        for (std::size_t i = 0; i < samples.size(); ++i) {
            if (!Plotted(samples[i]) || !InRange(samples[i], frame)) {
                continue;
            }
            const ChartPixel at{scale.X(std::clamp(DrawnTime(samples[i]), scale.from, scale.to)), scale.Y(samples[i].temperature)};
            const long long dx = at.x - pixel.x, dy = at.y - pixel.y;
            if (dx * dx + dy * dy <= best) {
                best = dx * dx + dy * dy;
                hit.found = true;
                hit.series = s;
                hit.sample = i;
                hit.at = at;
            }
        }
    }
    return hit;
}

std::string ChartTimeText(std::int64_t time, std::int64_t utcOffset)
{
    const std::int64_t local = time + utcOffset;
    const std::int64_t days = FloorDiv(local, kDay);
    const std::int64_t seconds = local - days * kDay;
    int year = 0;
    unsigned month = 0, day = 0;
    CivilFromDays(days, year, month, day);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d", year, month, day, static_cast<int>(seconds / 3600),
                  static_cast<int>(seconds / 60 % 60));
    return text;
}
