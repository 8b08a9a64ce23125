#include "history_lines.h"

#include <cstring>

std::vector<ChartSample> ChartSamplesOf(const std::vector<HistoryPoint>& points)
{
    std::vector<ChartSample> samples;
    samples.reserve(points.size());
    for (const HistoryPoint& point : points) {
        ChartSample sample;
        sample.time = point.time;
        sample.span = point.span;
        sample.asleep = point.asleep;
        if (!point.asleep && point.temperatureMax != 0) {
            sample.temperature = point.temperatureMean != 0 ? point.temperatureMean : point.temperatureMax;
            sample.low = point.temperatureMin != 0 ? point.temperatureMin : sample.temperature;
            sample.high = point.temperatureMax;
        }
        samples.push_back(sample);
    }
    return samples;
}

COLORREF HistoryLineColour(unsigned index, const Settings& settings)
{
    const COLORREF colours[] = {
        settings.ColorGrphLevel[2], settings.ColorGrphLevel[1], settings.ColorGrphLevel[3], settings.ColorGrphLevel[0],
        RGB(255, 0, 255),           RGB(255, 128, 0),           RGB(160, 160, 255),         RGB(255, 160, 160),
    };
    return colours[index % (sizeof colours / sizeof colours[0])];
}

std::string ModelOfIdentity(const char* identity)
{
    const char* colon = std::strchr(identity, ':');
    return colon ? std::string(identity, static_cast<std::size_t>(colon - identity)) : std::string(identity);
}
