#include "viewer_trends_win.h"

#include "chart_layout.h"
#include "chart_paint_win.h"
#include "civil_time.h"
#include "count_trends.h"
#include "display_scale.h"
#include "history_lines.h"
#include "history_store.h"
#include "kelvix_texts.h"
#include "program_state_win.h"
#include "smart_viewer_win.h"
#include "wide_text_win.h"

#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

namespace {

constexpr char kTrendChartClass[] = "KELVIX_TREND_CHART";
constexpr std::int64_t kChartSeconds = 86400;
constexpr std::int64_t kRecentSeconds = 2 * 86400;        // asked for in the finest tier
constexpr std::int64_t kWholeSeconds = 5 * 366 * 86400LL;  // as far back as the store keeps

// What the chart shows; one viewer exists at a time.
struct TrendChart {
    std::vector<ChartSeries> series;
    std::vector<COLORREF> colours;
    ChartFrame frame;
    ChartLayout layout;
} g_chart;

int Scaled(int pixels)
{
    return ScaleToDpi(pixels, DisplayDpi());
}

void LayOutChart(HWND chart)
{
    RECT client;
    GetClientRect(chart, &client);
    HDC dc = GetDC(chart);
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(GetParent(chart), WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(chart, dc);
    // The title takes the first line.
    g_chart.frame.width = client.right;
    g_chart.frame.height = std::max<int>(0, client.bottom - metrics.tmHeight);
    g_chart.frame.charWidth = std::max<int>(1, metrics.tmAveCharWidth);
    g_chart.frame.lineHeight = std::max<int>(1, metrics.tmHeight);
    g_chart.layout = ::LayOutChart(g_chart.frame, g_chart.series);
}

void PaintTrendChart(HWND chart)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(chart, &paint);
    RECT client;
    GetClientRect(chart, &client);
    const Settings& settings = Program().settings;
    const HBRUSH back = CreateSolidBrush(settings.ColorGrphBack);
    FillRect(dc, &client, back);
    DeleteObject(back);
    const HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(GetParent(chart), WM_GETFONT, 0, 0)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, settings.ColorNameFront);
    const std::wstring title = WideFromCp932(Text(KelvixText::TrendChartTitle));
    TextOutW(dc, Scaled(4), 0, title.c_str(), static_cast<int>(title.size()));
    POINT oldOrigin;
    SetViewportOrgEx(dc, 0, g_chart.frame.lineHeight, &oldOrigin);
    PaintChart(dc, g_chart.layout, g_chart.colours, -1, ChartHit{}, settings);
    SetViewportOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
    SelectObject(dc, oldFont);
    EndPaint(chart, &paint);
}

LRESULT CALLBACK TrendChartProc(HWND chart, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        PaintTrendChart(chart);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    default:
        return DefWindowProcA(chart, message, wParam, lParam);
    }
}

// The drive's identity and legend place as the history window gives them, from the last
// published snapshot.
bool FindDrive(std::uint32_t driveNumber, std::string& identity, unsigned& position, std::uint8_t& warning)
{
    const ProgramState& app = Program();
    if (!app.snapshots) {
        return false;
    }
    std::uint64_t generation = 0;
    const DriveSnapshot snapshot = app.snapshots->Copy(generation);
    for (unsigned i = 0; i < snapshot.count; ++i) {
        if (snapshot.drives[i].driveNumber == driveNumber) {
            identity = HistoryIdentity(snapshot.drives[i]);
            position = i;
            warning = snapshot.drives[i].verdict.warningTemperature;
            return true;
        }
    }
    return false;
}

}  // namespace

void AttachViewerTrends(HWND dialog)
{
    WNDCLASSA chartClass{};
    chartClass.lpfnWndProc = TrendChartProc;
    chartClass.hInstance = Program().instance;
    chartClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    chartClass.lpszClassName = kTrendChartClass;
    if (!RegisterClassA(&chartClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return;
    }
    // Below whatever the dialog holds, over the lists' width.
    RECT lowest{0, 0, 0, 0};
    bool first = true;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT rect;
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
        if (GetDlgCtrlID(child) == IDC_SMART_DRIVES) {
            rect.bottom = rect.top + Scaled(20);  // a drop-down list's rectangle holds its list
        }
        if (first) {
            lowest = rect;
            first = false;
        }
        lowest.left = std::min(lowest.left, rect.left);
        lowest.right = std::max(lowest.right, rect.right);
        lowest.bottom = std::max(lowest.bottom, rect.bottom);
    }
    const int gap = Scaled(4), height = Scaled(118);
    RECT window;
    GetWindowRect(dialog, &window);
    SetWindowPos(dialog, nullptr, 0, 0, window.right - window.left, window.bottom - window.top + height + gap,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const int top = lowest.bottom + gap;
    const int width = lowest.right - lowest.left;
    const int textWidth = width * 11 / 20;
    const HFONT font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    HWND text = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                                lowest.left, top, textWidth, height, dialog,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_SMART_TRENDS)), Program().instance, nullptr);
    SendMessageA(text, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    CreateWindowExA(0, kTrendChartClass, "", WS_CHILD | WS_VISIBLE, lowest.left + textWidth + gap, top,
                    width - textWidth - gap, height, dialog,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_SMART_TREND_CHART)), Program().instance, nullptr);
}

void ShowViewerTrends(HWND dialog, std::uint32_t driveNumber)
{
    const ProgramState& app = Program();
    HWND chart = GetDlgItem(dialog, IDC_SMART_TREND_CHART);
    HWND text = GetDlgItem(dialog, IDC_SMART_TRENDS);
    if (!chart || !text) {
        return;
    }
    const std::time_t now = std::time(nullptr);
    const std::int64_t to = static_cast<std::int64_t>(now);
    g_chart.frame.to = to;
    g_chart.frame.from = to - kChartSeconds;
    g_chart.frame.utcOffset = LocalUtcOffset(now);
    g_chart.series.clear();
    g_chart.colours.clear();

    std::string identity;
    unsigned position = 0;
    std::uint8_t warning = 0;
    std::string lines;
    if (app.history && FindDrive(driveNumber, identity, position, warning)) {
        // The whole past in its coarse tiers, the last two days reading by reading.
        std::vector<HistoryPoint> points = app.history->Points(identity.c_str(), to - kWholeSeconds, to - kRecentSeconds, 1000);
        const std::vector<HistoryPoint> recent = app.history->Points(identity.c_str(), to - kRecentSeconds + 1, to, 0);
        points.insert(points.end(), recent.begin(), recent.end());
        for (const std::string& line : CountTrendLines(points, g_chart.frame.utcOffset)) {
            lines += line + "\r\n";
        }
        LayOutChart(chart);
        const unsigned width = static_cast<unsigned>(std::max(1, g_chart.layout.plot.right - g_chart.layout.plot.left));
        g_chart.series.push_back({ChartSamplesOf(app.history->Points(identity.c_str(), g_chart.frame.from, to, width)), warning});
        g_chart.colours.push_back(HistoryLineColour(position, app.settings));
    }
    if (lines.empty()) {
        lines = Text(KelvixText::TrendNoCounts);
    }
    SetWindowTextW(text, WideFromCp932(lines.c_str()).c_str());
    LayOutChart(chart);
    InvalidateRect(chart, nullptr, FALSE);
}
