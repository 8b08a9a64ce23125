#include "count_trends.h"

#include "chart_layout.h"
#include "health_words.h"
#include "kelvix_texts.h"

#include <cstdio>

namespace {

struct Stretch {
    std::uint64_t value = 0;
    std::int64_t first = 0, last = 0;
};

constexpr std::size_t kShownStretches = 4;

}  // namespace

std::string CountTrendText(const char* name, const std::vector<CountReading>& readings, std::int64_t utcOffset)
{
    if (readings.empty()) {
        return std::string();
    }
    std::vector<Stretch> stretches;
    for (const CountReading& reading : readings) {
        if (stretches.empty() || stretches.back().value != reading.value) {
            stretches.push_back({reading.value, reading.time, reading.time});
        } else {
            stretches.back().last = reading.time;
        }
    }
    const bool days = readings.back().time - readings.front().time >= 2 * 86400;
    const auto when = [&](std::int64_t time) {
        const std::string text = ChartTimeText(time, utcOffset);
        return days ? text.substr(0, 10) : text;
    };
    char part[160];
    std::string words;
    for (std::size_t i = 0; i < stretches.size(); ++i) {
        if (stretches.size() > kShownStretches && i > 0 && i < stretches.size() - (kShownStretches - 1)) {
            if (i == 1) {
                words += Text(KelvixText::TrendSeparator);
                words += Text(KelvixText::TrendEarlier);
            }
            continue;
        }
        const Stretch& stretch = stretches[i];
        const auto value = static_cast<unsigned long long>(stretch.value);
        if (i + 1 == stretches.size()) {
            std::snprintf(part, sizeof part, Text(KelvixText::TrendSince), value, when(stretch.first).c_str());
        } else if (i == 0) {
            std::snprintf(part, sizeof part, Text(KelvixText::TrendUntil), value, when(stretch.last).c_str());
        } else if (when(stretch.first) == when(stretch.last)) {
            std::snprintf(part, sizeof part, Text(KelvixText::TrendOn), value, when(stretch.first).c_str());
        } else {
            std::snprintf(part, sizeof part, Text(KelvixText::TrendBetween), value, when(stretch.first).c_str(),
                          when(stretch.last).c_str());
        }
        if (!words.empty()) {
            words += Text(KelvixText::TrendSeparator);
        }
        words += part;
    }
    char line[512];
    std::snprintf(line, sizeof line, Text(KelvixText::TrendLine), name, words.c_str());
    return line;
}

std::vector<std::string> CountTrendLines(const std::vector<HistoryPoint>& points, std::int64_t utcOffset)
{
    std::vector<std::string> lines;
    const auto add = [&](const char* name, const std::vector<CountReading>& readings) {
        if (!readings.empty()) {
            lines.push_back(CountTrendText(name, readings, utcOffset));
        }
    };
    for (unsigned i = 0; i < kAtaCountIds; ++i) {
        std::vector<CountReading> readings;
        for (const HistoryPoint& point : points) {
            if (point.countsKnown & (1u << i)) {
                readings.push_back({point.time, point.counts[i]});
            }
        }
        add(HealthCountName(kAtaCountIdList[i]), readings);
    }
    std::vector<CountReading> used, spare, media;
    for (const HistoryPoint& point : points) {
        if (point.hasNvme) {
            used.push_back({point.time, point.percentageUsed});
            spare.push_back({point.time, point.availableSpare});
            media.push_back({point.time, point.mediaErrors});
        }
    }
    add(Text(KelvixText::TrendLifeUsed), used);
    add(Text(KelvixText::TrendSpare), spare);
    add(HealthCountName(0), media);
    return lines;
}
