#include "web_chart.h"

#include "health_words.h"
#include "utf8_from_cp932.h"
#include "web_text.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kWidth = 360;
constexpr int kLeft = 26;  // room for the degree labels
constexpr int kRight = 356;
constexpr int kChartHeight = 120;
constexpr int kTop = 8;
constexpr int kBottom = 110;
constexpr int kTrendHeight = 48;

std::string Coordinate(double value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

double XOf(std::int64_t time, std::int64_t from, std::int64_t to)
{
    const double span = to > from ? static_cast<double>(to - from) : 1.0;
    const double x = kLeft + (kRight - kLeft) * static_cast<double>(time - from) / span;
    return std::min<double>(kRight, std::max<double>(kLeft, x));
}

// A point is drawn after the one before it unless the time between them leaves a hole
// (nothing recorded for more than two of its spans).
bool Joins(const HistoryPoint& before, const HistoryPoint& point)
{
    const std::int64_t span = std::max<std::int64_t>(60, std::max(before.span, point.span));
    return point.time - before.time <= 2 * span;
}

bool HasTemperature(const HistoryPoint& point)
{
    return !point.asleep && point.temperatureMax != 0;
}

std::string NoHistory(const std::string& words)
{
    std::string out = "<p class=\"nohistory\">";
    AppendHtml(out, words);
    out += "</p>\n";
    return out;
}

}  // namespace

std::string TemperatureChart(const std::vector<HistoryPoint>& points, std::int64_t from, std::int64_t to,
                             unsigned warning, const std::string& noHistoryWords)
{
    unsigned low = 255;
    unsigned high = 0;
    for (const HistoryPoint& point : points) {
        if (HasTemperature(point)) {
            low = std::min<unsigned>(low, point.temperatureMin != 0 ? point.temperatureMin : point.temperatureMean);
            high = std::max<unsigned>(high, point.temperatureMax);
        }
    }
    if (high == 0) {
        return NoHistory(noHistoryWords);
    }
    if (warning != 0) {
        high = std::max(high, warning);
        low = std::min(low, warning);
    }
    // Whole multiples of 5 around what is drawn, at least 10 degrees apart.
    low = low >= 5 ? (low - 1) / 5 * 5 : 0;
    high = (high + 5) / 5 * 5;
    if (high - low < 10) {
        high = low + 10;
    }
    const auto yOf = [&](double degrees) {
        return kBottom - (kBottom - kTop) * (degrees - low) / static_cast<double>(high - low);
    };
    std::string out = "<svg class=\"chart\" viewBox=\"0 0 " + std::to_string(kWidth) + " "
                      + std::to_string(kChartHeight) + "\" role=\"img\">";
    for (const unsigned degrees : {low, (low + high) / 2, high}) {
        const std::string y = Coordinate(yOf(degrees));
        out += "<line class=\"grid\" x1=\"" + std::to_string(kLeft) + "\" x2=\"" + std::to_string(kRight) + "\" y1=\"" + y
               + "\" y2=\"" + y + "\"/><text x=\"0\" y=\"" + Coordinate(yOf(degrees) + 4) + "\">"
               + std::to_string(degrees) + "</text>";
    }
    // The band from the lowest to the highest of each bucket, and the mean as a line.
    std::string band;
    std::string line;
    const HistoryPoint* before = nullptr;
    for (const HistoryPoint& point : points) {
        if (!HasTemperature(point)) {
            before = nullptr;
            continue;
        }
        const std::string x = Coordinate(XOf(point.time, from, to));
        const bool joined = before != nullptr && Joins(*before, point);
        line += (joined ? "L" : "M") + x + " " + Coordinate(yOf(point.temperatureMean != 0 ? point.temperatureMean
                                                                                             : point.temperatureMax));
        if (point.temperatureMin != 0 && point.temperatureMin < point.temperatureMax) {
            band += "M" + x + " " + Coordinate(yOf(point.temperatureMin)) + "V" + Coordinate(yOf(point.temperatureMax));
        }
        before = &point;
    }
    if (!band.empty()) {
        out += "<path class=\"band-line\" d=\"" + band + "\"/>";
    }
    out += "<path class=\"line\" d=\"" + line + "\"/>";
    if (warning != 0) {
        const std::string y = Coordinate(yOf(warning));
        out += "<line class=\"warn\" x1=\"" + std::to_string(kLeft) + "\" x2=\"" + std::to_string(kRight) + "\" y1=\"" + y
               + "\" y2=\"" + y + "\"/>";
    }
    out += "</svg>\n";
    return out;
}

std::string CountTrends(const std::vector<HistoryPoint>& points, std::int64_t from, std::int64_t to,
                        Language language, const std::string& noHistoryWords)
{
    std::string out;
    for (unsigned i = 0; i < kAtaCountIds; ++i) {
        std::uint64_t first = 0;
        std::uint64_t last = 0;
        std::uint64_t most = 0;
        bool any = false;
        for (const HistoryPoint& point : points) {
            if ((point.countsKnown & (1u << i)) != 0) {
                first = any ? first : point.counts[i];
                any = true;
                last = point.counts[i];
                most = std::max(most, point.counts[i]);
            }
        }
        if (!any) {
            continue;
        }
        out += "<div class=\"trend\" data-count=\"" + std::to_string(kAtaCountIdList[i]) + "\"><h3>";
        AppendHtml(out, Utf8FromCp932(CountName(kAtaCountIdList[i], language)));
        out += " (" + std::to_string(kAtaCountIdList[i]) + "): " + std::to_string(first) + " \xE2\x86\x92 "
               + std::to_string(last) + "</h3>";
        out += "<svg class=\"chart\" viewBox=\"0 0 " + std::to_string(kWidth) + " " + std::to_string(kTrendHeight)
               + "\" role=\"img\"><path class=\"line\" d=\"";
        const double top = most == 0 ? 1.0 : static_cast<double>(most);
        bool started = false;
        for (const HistoryPoint& point : points) {
            if ((point.countsKnown & (1u << i)) == 0) {
                continue;
            }
            const std::string x = Coordinate(XOf(point.time, from, to));
            const std::string y = Coordinate(kTrendHeight - 4 - (kTrendHeight - 8) * static_cast<double>(point.counts[i]) / top);
            out += started ? "H" + x + "V" + y : "M" + x + " " + y;
            started = true;
        }
        out += "\"/></svg></div>\n";
    }
    return out.empty() ? NoHistory(noHistoryWords) : out;
}
