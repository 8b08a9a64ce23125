// The temperature chart's layout: where points, gaps, warning lines and ticks go, and
// which point a pixel hits.
#include "chart_layout.h"
#include "civil_time.h"
#include "history_lines.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace {

constexpr std::int64_t kDecember1 = 1796083200;  // 2026-12-01 00:00 UTC

ChartSample Reading(std::int64_t time, std::uint8_t temperature)
{
    ChartSample sample;
    sample.time = time;
    sample.temperature = sample.low = sample.high = temperature;
    return sample;
}

ChartSample Asleep(std::int64_t time)
{
    ChartSample sample;
    sample.time = time;
    sample.asleep = true;
    return sample;
}

ChartFrame Frame(std::int64_t seconds, int width = 400, int height = 200)
{
    ChartFrame frame;
    frame.from = kDecember1;
    frame.to = kDecember1 + seconds;
    frame.width = width;
    frame.height = height;
    return frame;
}

std::vector<std::size_t> RunLengths(const ChartSeriesLayout& series)
{
    std::vector<std::size_t> lengths;
    for (const auto& run : series.runs) {
        lengths.push_back(run.size());
    }
    return lengths;
}

TEST(ChartLayout, PlotLeavesRoomForLabelsAndSpansTheRange)
{
    const ChartLayout layout = LayOutChart(Frame(3600), {{{Reading(kDecember1, 40), Reading(kDecember1 + 3600, 40)}, 0}});
    EXPECT_EQ(layout.plot.left, 28);
    EXPECT_EQ(layout.plot.top, 7);
    EXPECT_EQ(layout.plot.right, 379);
    EXPECT_EQ(layout.plot.bottom, 183);
    ASSERT_EQ(layout.series[0].runs.size(), 1u);
    EXPECT_EQ(layout.series[0].runs[0].front().x, layout.plot.left);
    EXPECT_EQ(layout.series[0].runs[0].back().x, layout.plot.right - 1);
}

TEST(ChartLayout, TemperatureBoundsTakeInEveryPointAndWarning)
{
    struct Row {
        std::uint8_t a, b, warning;
        int low, high;
    };
    const Row rows[] = {
        {40, 42, 0, 35, 45},   // 2 degrees either side, on fives
        {40, 41, 55, 35, 60},  // the warning line stays inside
        {30, 30, 0, 25, 35},   // at least ten degrees
        {0, 0, 0, 10, 60},     // nothing: a usual room, on tens as the ticks then are
    };
    for (const Row& row : rows) {
        ChartSeries series{{Reading(kDecember1, row.a), Reading(kDecember1 + 60, row.b)}, row.warning};
        const ChartLayout layout = LayOutChart(Frame(3600), {series});
        EXPECT_EQ(layout.lowTemperature, row.low) << int(row.a) << " " << int(row.warning);
        EXPECT_EQ(layout.highTemperature, row.high) << int(row.a) << " " << int(row.warning);
    }
}

TEST(ChartLayout, HotterIsHigherAndTheWarningLineSitsAtItsDegree)
{
    ChartSeries series{{Reading(kDecember1, 40), Reading(kDecember1 + 60, 50)}, 50};
    const ChartLayout layout = LayOutChart(Frame(3600), {series});
    const auto& run = layout.series[0].runs.at(0);
    EXPECT_GT(run[0].y, run[1].y);
    EXPECT_TRUE(layout.series[0].hasWarning);
    EXPECT_EQ(layout.series[0].warningY, run[1].y);
    EXPECT_FALSE(LayOutChart(Frame(3600), {{series.samples, 0}}).series[0].hasWarning);
}

TEST(ChartLayout, SleepMissingTemperaturesAndLongSilencesBreakTheLine)
{
    const std::int64_t t = kDecember1;
    struct Row {
        const char* what;
        std::vector<ChartSample> samples;
        std::vector<std::size_t> runs;
    };
    const Row rows[] = {
        {"unbroken", {Reading(t, 40), Reading(t + 60, 41), Reading(t + 120, 42)}, {3}},
        {"asleep", {Reading(t, 40), Reading(t + 60, 41), Asleep(t + 120), Reading(t + 180, 42)}, {2, 2}},
        {"no temperature", {Reading(t, 40), Reading(t + 60, 0), Reading(t + 120, 42), Reading(t + 180, 42)}, {2, 2}},
        {"silence", {Reading(t, 40), Reading(t + 60, 41), Reading(t + 120, 41), Reading(t + 900, 42),
                     Reading(t + 960, 42)}, {3, 2}},
        {"within three steps", {Reading(t, 40), Reading(t + 60, 41), Reading(t + 120, 41), Reading(t + 300, 42)}, {4}},
        {"outside the range", {Reading(t - 7200, 40), Reading(t + 60, 41), Reading(t + 120, 41), Reading(t + 7200, 41)}, {2}},
    };
    for (const Row& row : rows) {
        const ChartLayout layout = LayOutChart(Frame(3600), {{row.samples, 0}});
        EXPECT_EQ(RunLengths(layout.series[0]), row.runs) << row.what;
    }
}

TEST(ChartLayout, ABucketIsDrawnAtItsMiddle)
{
    ChartSample first = Reading(kDecember1, 40), second = Reading(kDecember1 + 1800, 40);
    first.span = second.span = 1800;
    const ChartLayout layout = LayOutChart(Frame(3600), {{{first, second}, 0}});
    const auto& run = layout.series[0].runs.at(0);
    ASSERT_EQ(run.size(), 2u);
    EXPECT_EQ(run[0].x, 116);  // a quarter of the 351 pixels in
    EXPECT_EQ(run[1].x, 291);
}

TEST(ChartLayout, ABucketOfDifferentReadingsShowsTheirSpread)
{
    ChartSample heating = Reading(kDecember1, 48);
    heating.span = 60;
    heating.low = 35;
    heating.high = 62;
    const std::vector<ChartSample> samples = {heating, Reading(kDecember1 + 60, 62), Reading(kDecember1 + 120, 35)};
    const ChartLayout layout = LayOutChart(Frame(3600), {{samples, 0}});
    const ChartSeriesLayout& drawn = layout.series[0];
    ASSERT_EQ(drawn.spreads.size(), 1u);  // the readings alone have none
    EXPECT_EQ(drawn.spreads[0].first.x, drawn.runs[0][0].x);
    EXPECT_EQ(drawn.spreads[0].first.y, drawn.runs[0][1].y);   // at 62
    EXPECT_EQ(drawn.spreads[0].second.y, drawn.runs[0][2].y);  // at 35
}

TEST(ChartLayout, ALonePointIsDrawnAcrossItsBucket)
{
    ChartSample minute = Reading(kDecember1 + 1800, 40);
    minute.span = 360;  // a tenth of the range
    ChartSeriesLayout drawn = LayOutChart(Frame(3600), {{{minute}, 0}}).series[0];
    ASSERT_EQ(RunLengths(drawn), std::vector<std::size_t>{2});
    EXPECT_EQ(drawn.runs[0][1].x - drawn.runs[0][0].x, 34);
    EXPECT_EQ(drawn.runs[0][0].y, drawn.runs[0][1].y);
    drawn = LayOutChart(Frame(3600), {{{Reading(kDecember1 + 1800, 40)}, 0}}).series[0];
    EXPECT_EQ(drawn.runs[0][1].x - drawn.runs[0][0].x, 4);  // a reading: a short dash
    minute.time = kDecember1 + 3600 - 60;                    // the newest minute, at the edge
    const ChartLayout edge = LayOutChart(Frame(3600), {{{minute}, 0}});
    EXPECT_EQ(edge.series[0].runs[0][1].x, edge.plot.right - 1);
    EXPECT_EQ(edge.series[0].runs[0][1].x - edge.series[0].runs[0][0].x, 34);
}

TEST(ChartLayout, TimeTicksFitTheRangeInLocalTime)
{
    struct Row {
        std::int64_t seconds;
        std::int64_t utcOffset;
        std::size_t ticks;
        const char* first;
        const char* second;
    };
    const Row rows[] = {
        {3600, 0, 7, "00:00", "00:10"},            // an hour: ten minutes apart
        {3600, 9 * 3600, 7, "09:00", "09:10"},     // Tokyo
        {3600, 1800, 7, "00:30", "00:40"},         // a half-hour zone still falls on tens
        {86400, 0, 5, "00:00", "06:00"},           // a day: six hours
        {7 * 86400, 0, 4, "12-01", "12-03"},       // a week: two days
        {30 * 86400, 0, 5, "12-03", "12-10"},      // a month: weeks
        {365 * 86400, 0, 4, "2027-01", "2027-04"}, // a year: quarters, on their first day
    };
    for (const Row& row : rows) {
        ChartFrame frame = Frame(row.seconds);
        frame.utcOffset = row.utcOffset;
        const ChartLayout layout = LayOutChart(frame, {});
        ASSERT_EQ(layout.timeTicks.size(), row.ticks) << row.seconds;
        EXPECT_EQ(layout.timeTicks[0].label, row.first) << row.seconds;
        EXPECT_EQ(layout.timeTicks[1].label, row.second) << row.seconds;
        for (std::size_t i = 1; i < layout.timeTicks.size(); ++i) {
            EXPECT_GE(layout.timeTicks[i].position - layout.timeTicks[i - 1].position, 8 * frame.charWidth);
        }
    }
}

TEST(ChartLayout, TemperatureTicksDoNotCrowd)
{
    struct Row {
        int height;
        int step;
        const char* first;
        const char* last;
    };
    const Row rows[] = {{200, 5, "35", "45"}, {60, 10, "30", "50"}, {400, 1, "35", "45"}};
    for (const Row& row : rows) {
        const ChartLayout layout = LayOutChart(Frame(3600, 400, row.height), {{{Reading(kDecember1, 40)}, 0}});
        ASSERT_GE(layout.temperatureTicks.size(), 2u);
        EXPECT_EQ(std::stoi(layout.temperatureTicks[1].label) - std::stoi(layout.temperatureTicks[0].label), row.step)
            << row.height;
        EXPECT_EQ(layout.temperatureTicks[0].label, row.first) << row.height;
        EXPECT_EQ(layout.temperatureTicks[0].position, layout.plot.bottom - 1) << row.height;
        EXPECT_EQ(layout.temperatureTicks.back().label, row.last) << row.height;
        EXPECT_EQ(layout.temperatureTicks.back().position, layout.plot.top) << row.height;
    }
}

TEST(ChartLayout, APixelHitsTheNearestPointOfTheNearestLine)
{
    const std::int64_t t = kDecember1;
    const std::vector<ChartSeries> series = {
        {{Reading(t, 40), Reading(t + 1800, 40), Reading(t + 3600, 40)}, 0},
        {{Reading(t, 50), Reading(t + 1800, 50), Asleep(t + 2700), Reading(t + 3600, 50)}, 0},
    };
    const ChartFrame frame = Frame(3600);
    const ChartLayout layout = LayOutChart(frame, series);
    const ChartPixel middleOfCool = layout.series[0].runs[0][1];
    const ChartPixel middleOfHot = layout.series[1].runs[0][1];

    ChartHit hit = HitTestChart(frame, layout, series, {middleOfCool.x + 3, middleOfCool.y - 2}, 10);
    EXPECT_TRUE(hit.found);
    EXPECT_EQ(hit.series, 0u);
    EXPECT_EQ(hit.sample, 1u);
    hit = HitTestChart(frame, layout, series, {middleOfHot.x, middleOfHot.y + 4}, 10);
    EXPECT_TRUE(hit.found);
    EXPECT_EQ(hit.series, 1u);
    EXPECT_EQ(hit.sample, 1u);
    hit = HitTestChart(frame, layout, series, {middleOfHot.x + 60, middleOfHot.y}, 10);  // over the gap
    EXPECT_FALSE(hit.found);
    EXPECT_FALSE(HitTestChart(frame, layout, series, {0, 0}, 10).found);
}

TEST(ChartLayout, TimeTextsAreLocalCalendarTimes)
{
    EXPECT_EQ(ChartTimeText(kDecember1 + 14 * 3600 + 5 * 60, 0), "2026-12-01 14:05");
    EXPECT_EQ(ChartTimeText(kDecember1, -3600), "2026-11-30 23:00");
    EXPECT_EQ(ChartTimeText(951782400, 0), "2000-02-29 00:00");
}

TEST(HistoryLines, EachDriveTakesTheMonitorColoursInTurn)
{
    Settings settings;
    const COLORREF expected[] = {RGB(0, 255, 0),   RGB(0, 255, 255), RGB(255, 255, 0),   RGB(0, 0, 255),
                                 RGB(255, 0, 255), RGB(255, 128, 0), RGB(160, 160, 255), RGB(255, 160, 160),
                                 RGB(0, 255, 0)};
    for (unsigned i = 0; i < sizeof expected / sizeof expected[0]; ++i) {
        EXPECT_EQ(HistoryLineColour(i, settings), expected[i]) << i;
    }
    settings.ColorGrphLevel[2] = RGB(1, 2, 3);
    EXPECT_EQ(HistoryLineColour(0, settings), RGB(1, 2, 3));
}

TEST(HistoryLines, PointsBecomeSamplesAtTheirMean)
{
    HistoryPoint bucket;
    bucket.time = kDecember1;
    bucket.span = 900;
    bucket.temperatureMin = 38;
    bucket.temperatureMean = 40;
    bucket.temperatureMax = 45;
    HistoryPoint asleep;
    asleep.asleep = true;
    asleep.temperatureMax = 30;  // the last reading before it slept: not drawn
    HistoryPoint none;
    const std::vector<ChartSample> samples = ChartSamplesOf({bucket, asleep, none});
    ASSERT_EQ(samples.size(), 3u);
    EXPECT_EQ(samples[0].time, kDecember1);
    EXPECT_EQ(samples[0].span, 900);
    EXPECT_EQ(samples[0].temperature, 40);
    EXPECT_EQ(samples[0].low, 38);
    EXPECT_EQ(samples[0].high, 45);
    EXPECT_TRUE(samples[1].asleep);
    EXPECT_EQ(samples[1].temperature, 0);
    EXPECT_EQ(samples[2].temperature, 0);
    EXPECT_EQ(ModelOfIdentity("ST3500418AS:CC38:5VM1ABCD"), "ST3500418AS");
    EXPECT_EQ(ModelOfIdentity("plain"), "plain");
}

}  // namespace

// The offset the charts label their hours with: the zone's, daylight saving included on
// the day asked about (not today's).
TEST(ChartLayout, LocalOffsetIsTheZonesOnTheDayShown)
{
    constexpr std::int64_t kJuly1 = 1782864000;  // 2026-07-01 00:00 UTC
    const struct {
        const char* zone;
        std::int64_t when;
        std::int64_t offset;
    } rows[] = {
        {"UTC0", kJuly1, 0},
        {"JST-9", kDecember1, 9 * 3600},
        {"CET-1CEST,M3.5.0,M10.5.0/3", kDecember1, 3600},
        {"CET-1CEST,M3.5.0,M10.5.0/3", kJuly1, 2 * 3600},
        {"EST5EDT,M3.2.0,M11.1.0", kJuly1, -4 * 3600},
    };
    const char* saved = std::getenv("TZ");
    const std::string before = saved != nullptr ? saved : "";
    for (const auto& row : rows) {
        SCOPED_TRACE(row.zone);
        setenv("TZ", row.zone, 1);
        tzset();
        EXPECT_EQ(LocalUtcOffset(row.when), row.offset);
    }
    if (saved != nullptr) {
        setenv("TZ", before.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
}
