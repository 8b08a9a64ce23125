// The history window's chart with a year of data: the store's points for each drive, the
// layout and the GDI drawing into a 720 x 420 picture, against a yardstick drawn in the
// same run: the same picture filled and one polyline per drive of the same points.
//   bench_history_draw [ROUNDS] [DRIVES]
// Prints the medians in milliseconds and their ratio.
#include "chart_layout.h"
#include "chart_paint_win.h"
#include "history_lines.h"
#include "history_store.h"
#include "settings.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 720, kHeight = 420;
constexpr std::int64_t kYear = 365 * 86400LL;
constexpr std::int64_t kStep = 900;  // a measurement every quarter hour for a year

double Ms(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 30;
    const unsigned drives = argc > 2 ? static_cast<unsigned>(std::atoi(argv[2])) : 8;
    char path[MAX_PATH];
    GetTempPathA(sizeof path, path);
    std::strcat(path, "bench_history_draw.his");
    DeleteFileA(path);
    HistoryStore store(path);
    const std::int64_t end = 1796083200;  // 2026-12-01
    DriveSnapshot snapshot;
    snapshot.taken = true;
    snapshot.count = std::min<unsigned>(drives, kMaxDrives);
    for (unsigned i = 0; i < snapshot.count; ++i) {
        DriveSnapshotEntry& drive = snapshot.drives[i];
        drive.driveNumber = i;
        drive.condition = DriveCondition::Temperature;
        std::snprintf(drive.model, sizeof drive.model, "BENCH DRIVE %u", i);
        std::snprintf(drive.serial, sizeof drive.serial, "S%u", i);
        drive.verdict.warningTemperature = 50;
    }
    for (std::int64_t t = end - kYear; t < end; t += kStep) {
        for (unsigned i = 0; i < snapshot.count; ++i) {
            snapshot.drives[i].temperature = static_cast<std::uint8_t>(30 + (t / 3600 + i * 7) % 20);
        }
        store.Record(snapshot, t);
    }

    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, kWidth, kHeight);
    SelectObject(dc, bitmap);
    const Settings settings;
    const RECT whole{0, 0, kWidth, kHeight};
    ChartFrame frame;
    frame.from = end - kYear;
    frame.to = end;
    frame.width = kWidth;
    frame.height = kHeight;
    const ChartLayout empty = LayOutChart(frame, {});
    const unsigned plotWidth = static_cast<unsigned>(empty.plot.right - empty.plot.left);

    std::vector<double> chart, yardstick;
    std::size_t points = 0;
    for (int round = 0; round < rounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        std::vector<ChartSeries> series;
        std::vector<COLORREF> colours;
        for (const HistoryDrive& drive : store.Drives()) {
            series.push_back({ChartSamplesOf(store.Points(drive.identity, frame.from, frame.to, plotWidth)), 50});
            colours.push_back(HistoryLineColour(static_cast<unsigned>(colours.size()), settings));
        }
        const ChartLayout layout = LayOutChart(frame, series);
        const HBRUSH back = CreateSolidBrush(settings.ColorGrphBack);
        FillRect(dc, &whole, back);
        DeleteObject(back);
        PaintChart(dc, layout, colours, 0, ChartHit{}, settings);
        GdiFlush();
        chart.push_back(Ms(start));

        // The yardstick: the same picture filled, one polyline per drive of as many points.
        const auto yardstickStart = std::chrono::steady_clock::now();
        const HBRUSH fill = CreateSolidBrush(settings.ColorGrphBack);
        FillRect(dc, &whole, fill);
        DeleteObject(fill);
        points = 0;
        for (std::size_t s = 0; s < layout.series.size(); ++s) {
            std::vector<POINT> line;
            for (const auto& run : layout.series[s].runs) {
                for (const ChartPixel& pixel : run) {
                    line.push_back({pixel.x, pixel.y});
                }
            }
            points += line.size();
            const HPEN pen = CreatePen(PS_SOLID, 2, colours[s]);
            const HGDIOBJ old = SelectObject(dc, pen);
            Polyline(dc, line.data(), static_cast<int>(line.size()));
            SelectObject(dc, old);
            DeleteObject(pen);
        }
        GdiFlush();
        yardstick.push_back(Ms(yardstickStart));
    }
    DeleteDC(dc);
    DeleteObject(bitmap);
    ReleaseDC(nullptr, screen);
    DeleteFileA(path);
    const double a = Median(chart), b = Median(yardstick);
    std::printf("history chart, a year of %u drives (%zu points drawn): %.2f ms; fill + polylines: %.2f ms; "
                "ratio %.2f (aim: chart under 50 ms)\n", snapshot.count, points, a, b, b > 0 ? a / b : 0.0);
    return 0;
}
