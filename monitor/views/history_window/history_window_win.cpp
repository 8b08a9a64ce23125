// The history window: a plain window drawn with GDI. The chart's geometry comes from the
// portable layout; this file only asks the store, draws and answers the mouse.
#include "history_window_win.h"

#include "chart_layout.h"
#include "chart_paint_win.h"
#include "civil_time.h"
#include "display_scale.h"
#include "gdi_font_win.h"
#include "history_lines.h"
#include "history_store.h"
#include "kelvix_texts.h"
#include "monitor_ids.h"
#include "program_state_win.h"
#include "wide_text_win.h"
#include "window_helpers_win.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr unsigned kRangeCount = CMD_HISTORY_RANGE_LAST - CMD_HISTORY_RANGE_FIRST + 1;
constexpr KelvixText kRangeTexts[kRangeCount] = {KelvixText::HistoryRangeHour, KelvixText::HistoryRangeDay,
                                                 KelvixText::HistoryRangeWeek, KelvixText::HistoryRangeMonth,
                                                 KelvixText::HistoryRangeYear};

struct DriveLine {
    std::string identity;
    std::string name;
    COLORREF colour = 0;
    ChartSeries series;
};

// One window's state, owned by the window (GWLP_USERDATA) until WM_NCDESTROY.
struct HistoryView {
    HistoryRange range = HistoryRange::Day;
    std::vector<DriveLine> lines;
    std::string selected;  // the identity the CSV is saved of
    std::string status;    // what the pointer is over
    GDIFONT font;
    HWND buttons[kRangeCount] = {};
    ChartFrame frame;
    ChartLayout layout;
    RECT chart{};                  // the chart's place in the client area
    std::vector<RECT> legend;      // one per line
    ChartHit hover;
};

HistoryView* ViewOf(HWND window)
{
    return reinterpret_cast<HistoryView*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

int Scaled(int pixels)
{
    return ScaleToDpi(pixels, DisplayDpi());
}

SIZE TextSize(HDC dc, const std::wstring& text)
{
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

void DrawTextAt(HDC dc, int x, int y, const std::string& text)
{
    const std::wstring wide = WideFromCp932(text.c_str());
    TextOutW(dc, x, y, wide.c_str(), static_cast<int>(wide.size()));
}

int TopBarHeight()
{
    return Scaled(30);
}

// Where each legend entry goes, in rows under the chart, and the hint line below them.
void PlaceLegend(HDC dc, HistoryView& view, const RECT& client, int lineHeight, int& legendTop)
{
    const int swatch = Scaled(24), gap = Scaled(14), pad = Scaled(6);
    std::vector<SIZE> sizes;
    for (const DriveLine& line : view.lines) {
        sizes.push_back(TextSize(dc, WideFromCp932(line.name.c_str())));
    }
    // Rows from the bottom up: first count them, then place.
    const int width = client.right - client.left - 2 * pad;
    int rows = view.lines.empty() ? 0 : 1, x = 0;
    for (const SIZE& size : sizes) {
        const int entry = swatch + pad + size.cx;
        if (x > 0 && x + entry > width) {
            ++rows;
            x = 0;
        }
        x += entry + gap;
    }
    const int rowHeight = lineHeight + Scaled(4);
    legendTop = client.bottom - pad - lineHeight - rows * rowHeight;
    view.legend.clear();
    x = 0;
    int y = legendTop;
    for (const SIZE& size : sizes) {
        const int entry = swatch + pad + size.cx;
        if (x > 0 && x + entry > width) {
            y += rowHeight;
            x = 0;
        }
        view.legend.push_back({pad + x, y, pad + x + entry, y + rowHeight});
        x += entry + gap;
    }
}

void LayOut(HWND window, HistoryView& view)
{
    RECT client;
    GetClientRect(window, &client);
    HDC dc = GetDC(window);
    const HGDIOBJ old = SelectObject(dc, view.font.Handle());
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    int legendTop = client.bottom;
    PlaceLegend(dc, view, client, metrics.tmHeight, legendTop);
    SelectObject(dc, old);
    ReleaseDC(window, dc);

    view.chart = {Scaled(6), TopBarHeight(), client.right - Scaled(6), legendTop - Scaled(4)};
    view.frame.width = std::max<int>(0, view.chart.right - view.chart.left);
    view.frame.height = std::max<int>(0, view.chart.bottom - view.chart.top);
    view.frame.charWidth = std::max<int>(1, metrics.tmAveCharWidth);
    view.frame.lineHeight = std::max<int>(1, metrics.tmHeight);
    std::vector<ChartSeries> series;
    for (const DriveLine& line : view.lines) {
        series.push_back(line.series);
    }
    view.layout = LayOutChart(view.frame, series);
}

// Asks the store for every drive's points in the range, at most one per pixel of the plot.
void Load(HWND window, HistoryView& view)
{
    const ProgramState& app = Program();
    const std::time_t now = std::time(nullptr);
    view.frame.to = static_cast<std::int64_t>(now);
    view.frame.from = view.frame.to - HistoryRangeSeconds(view.range);
    view.frame.utcOffset = LocalUtcOffset(now);
    view.lines.clear();
    LayOut(window, view);  // the plot's width before there are lines
    if (!app.history) {
        return;
    }
    std::uint64_t generation = 0;
    const DriveSnapshot snapshot = app.snapshots ? app.snapshots->Copy(generation) : DriveSnapshot{};
    std::vector<HistoryDrive> drives = app.history->Drives();
    // Present drives by number first, then those gone, the latest seen first.
    std::vector<std::pair<const HistoryDrive*, const DriveSnapshotEntry*>> order;
    for (const HistoryDrive& drive : drives) {
        const DriveSnapshotEntry* present = nullptr;
        for (unsigned i = 0; i < snapshot.count; ++i) {
            if (HistoryIdentity(snapshot.drives[i]) == drive.identity) {
                present = &snapshot.drives[i];
            }
        }
        order.push_back({&drive, present});
    }
    std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) {
        if ((a.second != nullptr) != (b.second != nullptr)) {
            return a.second != nullptr;
        }
        return a.second ? a.second->driveNumber < b.second->driveNumber : a.first->lastTime > b.first->lastTime;
    });
    const unsigned width = static_cast<unsigned>(std::max(1, view.layout.plot.right - view.layout.plot.left));
    for (const auto& [drive, present] : order) {
        std::vector<HistoryPoint> points = app.history->Points(drive->identity, view.frame.from, view.frame.to, width);
        if (points.empty() && !present) {
            continue;
        }
        DriveLine line;
        line.identity = drive->identity;
        char name[160];
        if (present) {
            std::snprintf(name, sizeof name, "#%u %s", present->driveNumber, present->model);
            line.series.warning = present->verdict.warningTemperature;
        } else {
            std::snprintf(name, sizeof name, "%s", ModelOfIdentity(drive->identity).c_str());
        }
        line.name = name;
        line.colour = HistoryLineColour(static_cast<unsigned>(view.lines.size()), app.settings);
        line.series.samples = ChartSamplesOf(points);
        view.lines.push_back(std::move(line));
    }
    if (view.selected.empty() && !view.lines.empty()) {
        view.selected = view.lines.front().identity;
    }
    LayOut(window, view);
    view.hover = ChartHit{};
}

void ShowRange(HWND window, HistoryView& view)
{
    for (unsigned i = 0; i < kRangeCount; ++i) {
        SendMessageA(view.buttons[i], BM_SETCHECK,
                     static_cast<unsigned>(view.range) == i ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    Load(window, view);
    view.status.clear();
    InvalidateRect(window, nullptr, FALSE);
}

void DrawLegend(HDC dc, const HistoryView& view, const Settings& settings, const RECT& client)
{
    SetTextColor(dc, settings.ColorNameFront);
    const int swatch = Scaled(24), pad = Scaled(6);
    for (std::size_t i = 0; i < view.lines.size() && i < view.legend.size(); ++i) {
        const RECT& entry = view.legend[i];
        const int middle = (entry.top + entry.bottom) / 2;
        const HPEN pen = CreatePen(PS_SOLID, Scaled(3), view.lines[i].colour);
        const HGDIOBJ oldPen = SelectObject(dc, pen);
        MoveToEx(dc, entry.left, middle, nullptr);
        LineTo(dc, entry.left + swatch, middle);
        SelectObject(dc, oldPen);
        DeleteObject(pen);
        DrawTextAt(dc, entry.left + swatch + pad, entry.top + Scaled(2), view.lines[i].name);
        if (view.lines[i].identity == view.selected) {
            const HPEN frame = CreatePen(PS_SOLID, 1, settings.ColorNameFront);
            SelectObject(dc, frame);
            SelectObject(dc, GetStockObject(NULL_BRUSH));
            Rectangle(dc, entry.left - Scaled(3), entry.top, entry.right + Scaled(3), entry.bottom);
            SelectObject(dc, oldPen);
            DeleteObject(frame);
        }
    }
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    DrawTextAt(dc, pad, client.bottom - pad - metrics.tmHeight, Text(KelvixText::HistoryHint));
}

void Paint(HWND window, HistoryView& view)
{
    PAINTSTRUCT paint;
    HDC target = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    // Drawn off screen and copied at once: no flicker while the pointer moves.
    HDC dc = CreateCompatibleDC(target);
    HBITMAP bitmap = CreateCompatibleBitmap(target, std::max<LONG>(1, client.right), std::max<LONG>(1, client.bottom));
    const HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    const Settings& settings = Program().settings;
    const HBRUSH back = CreateSolidBrush(settings.ColorGrphBack);
    FillRect(dc, &client, back);
    DeleteObject(back);
    const HGDIOBJ oldFont = SelectObject(dc, view.font.Handle());
    SetBkMode(dc, TRANSPARENT);

    SetTextColor(dc, settings.ColorNameFront);
    RECT last{};
    GetWindowRect(view.buttons[kRangeCount - 1], &last);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&last), 2);
    // The value first: a narrow window cuts the drive's name, not the temperature.
    RECT status{last.right + Scaled(12), 0, client.right - Scaled(6), TopBarHeight()};
    const std::wstring statusText = WideFromCp932(view.status.c_str());
    DrawTextW(dc, statusText.c_str(), static_cast<int>(statusText.size()), &status,
              DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);

    POINT oldOrigin;
    SetViewportOrgEx(dc, view.chart.left, view.chart.top, &oldOrigin);
    std::vector<COLORREF> colours;
    int selected = -1;
    for (const DriveLine& line : view.lines) {
        if (line.identity == view.selected) {
            selected = static_cast<int>(colours.size());
        }
        colours.push_back(line.colour);
    }
    PaintChart(dc, view.layout, colours, selected, view.hover, settings);
    SetViewportOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
    DrawLegend(dc, view, settings, client);

    BitBlt(target, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    EndPaint(window, &paint);
}

std::vector<ChartSeries> SeriesOf(const HistoryView& view)
{
    std::vector<ChartSeries> series;
    for (const DriveLine& line : view.lines) {
        series.push_back(line.series);
    }
    return series;
}

std::string PointText(const DriveLine& line, const ChartSample& sample, std::int64_t utcOffset)
{
    char text[256];
    const std::string when = ChartTimeText(sample.time, utcOffset);
    if (sample.low == sample.high) {
        std::snprintf(text, sizeof text, Text(KelvixText::HistoryPointReading), static_cast<unsigned>(sample.temperature),
                      when.c_str(), line.name.c_str());
    } else {
        std::snprintf(text, sizeof text, Text(KelvixText::HistoryPointBucket), static_cast<unsigned>(sample.temperature),
                      static_cast<unsigned>(sample.low), static_cast<unsigned>(sample.high), when.c_str(),
                      line.name.c_str());
    }
    return text;
}

void Hover(HWND window, HistoryView& view, int x, int y)
{
    const ChartPixel pixel{x - view.chart.left, y - view.chart.top};
    const ChartHit hit = HitTestChart(view.frame, view.layout, SeriesOf(view), pixel, Scaled(12));
    if (hit.found == view.hover.found && hit.series == view.hover.series && hit.sample == view.hover.sample) {
        return;
    }
    view.hover = hit;
    view.status = hit.found ? PointText(view.lines[hit.series], view.lines[hit.series].series.samples[hit.sample],
                                        view.frame.utcOffset)
                            : std::string();
    InvalidateRect(window, nullptr, FALSE);
}

void Click(HWND window, HistoryView& view, int x, int y)
{
    Hover(window, view, x, y);
    if (view.hover.found) {
        view.selected = view.lines[view.hover.series].identity;
    }
    const POINT at{x, y};
    for (std::size_t i = 0; i < view.legend.size() && i < view.lines.size(); ++i) {
        if (PtInRect(&view.legend[i], at)) {
            view.selected = view.lines[i].identity;
        }
    }
    InvalidateRect(window, nullptr, FALSE);
}

// "ST3500418AS_5VM1ABCD.csv": the model and serial, with what a file name cannot hold as _.
std::string CsvName(const std::string& identity)
{
    std::string name;
    const std::size_t firstColon = identity.find(':');
    const std::size_t lastColon = identity.rfind(':');
    name = identity.substr(0, firstColon);
    if (lastColon != std::string::npos && lastColon + 1 < identity.size()) {
        name += "_" + identity.substr(lastColon + 1);
    }
    for (char& c : name) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u >= 0x80 || std::string("\\/:*?\"<>| ").find(c) != std::string::npos) {
            c = '_';
        }
    }
    return name + ".csv";
}

bool WriteWholeFile(const char* path, const std::string& bytes)
{
    const HANDLE file = CreateFileW(WideFromCp932(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)
                    && written == bytes.size();
    return CloseHandle(file) && ok;
}

void SaveCsv(HWND window, HistoryView& view)
{
    const ProgramState& app = Program();
    if (!app.history || view.selected.empty()) {
        return;
    }
    char path[MAX_PATH];
    std::snprintf(path, sizeof path, "%s", CsvName(view.selected).c_str());
    if (!PickSaveFile(window, Text(KelvixText::HistorySaveCsv), Text(KelvixText::HistoryCsvFilter), path, sizeof path)) {
        return;
    }
    const std::vector<HistoryPoint> points =
        app.history->Points(view.selected.c_str(), view.frame.from, view.frame.to, 0);
    if (!WriteWholeFile(path, HistoryCsv(points))) {
        char text[MAX_PATH + 128];
        std::snprintf(text, sizeof text, Text(KelvixText::HistoryCsvFailed), path);
        MessageBoxCp932(window, text, Text(CommonText::CaptionError), MB_OK | MB_ICONSTOP);
    }
}

void ShowMenu(HWND window, HistoryView& view)
{
    HMENU menu = CreatePopupMenu();
    for (unsigned i = 0; i < kRangeCount; ++i) {
        const UINT checked = static_cast<unsigned>(view.range) == i ? MF_CHECKED : MF_UNCHECKED;
        AppendMenuCp932(menu, MF_STRING | checked, CMD_HISTORY_RANGE_FIRST + i, Text(kRangeTexts[i]));
    }
    AppendMenuCp932(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuCp932(menu, MF_STRING | (view.selected.empty() ? MF_GRAYED : 0), CMD_HISTORY_SAVE_CSV,
                    Text(KelvixText::HistorySaveCsv));
    AppendMenuCp932(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuCp932(menu, MF_STRING, CMD_CLOSE, Text(KelvixText::MenuClose));
    POINT at;
    GetCursorPos(&at);
    SetForegroundWindow(window);
    TrackPopupMenu(menu, TPM_RIGHTBUTTON, at.x, at.y, 0, window, nullptr);
    PostMessageA(window, WM_NULL, 0, 0);
    DestroyMenu(menu);
}

void Create(HWND window)
{
    auto view = std::make_unique<HistoryView>();
    view->font.Create(-12, 0, DEFAULT_CHARSET, "MS Shell Dlg");
    const int width = Scaled(64), height = Scaled(22), gap = Scaled(4);
    for (unsigned i = 0; i < kRangeCount; ++i) {
        view->buttons[i] = CreateWindowExW(0, L"BUTTON", WideFromCp932(Text(kRangeTexts[i])).c_str(),
                                           WS_CHILD | WS_VISIBLE | BS_PUSHLIKE | BS_RADIOBUTTON, Scaled(6) + static_cast<int>(i) * (width + gap),
                                           Scaled(4), width, height, window,
                                           reinterpret_cast<HMENU>(static_cast<UINT_PTR>(CMD_HISTORY_RANGE_FIRST + i)),
                                           Program().instance, nullptr);
        SendMessageA(view->buttons[i], WM_SETFONT, reinterpret_cast<WPARAM>(view->font.Handle()), FALSE);
    }
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(view.release()));
}

LRESULT CALLBACK HistoryWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CREATE) {
        Create(window);
        return 0;
    }
    HistoryView* view = ViewOf(window);
    if (!view) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    switch (message) {
    case WM_PAINT:
        Paint(window, *view);
        return 0;
    case WM_ERASEBKGND:
        return 1;  // painted whole, off screen
    case WM_SIZE:
        Load(window, *view);  // a wider plot takes more points
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_MOUSEMOVE:
        Hover(window, *view, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_LBUTTONDOWN:
        Click(window, *view, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_RBUTTONUP:
        ShowMenu(window, *view);
        return 0;
    case WM_COMMAND: {
        const UINT command = LOWORD(wParam);
        if (command >= CMD_HISTORY_RANGE_FIRST && command <= CMD_HISTORY_RANGE_LAST) {
            view->range = static_cast<HistoryRange>(command - CMD_HISTORY_RANGE_FIRST);
            ShowRange(window, *view);
        } else if (command == CMD_HISTORY_SAVE_CSV) {
            SaveCsv(window, *view);
        } else if (command == CMD_CLOSE) {
            DestroyWindow(window);
        }
        return 0;
    }
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        if (Program().historyWindow == window) {
            Program().historyWindow = nullptr;
        }
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        delete view;
        return DefWindowProcA(window, message, wParam, lParam);
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

HWND OpenHistoryWindow()
{
    const ProgramState& app = Program();
    if (!RegisterWindowClass(app.instance, kHistoryWindowClass, HistoryWindowProc, kProgramIconId, false, 0)) {
        return nullptr;
    }
    // 720 x 420 at 96 dpi, within nine tenths of the work area.
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const int width = std::min<int>(Scaled(720), (work.right - work.left) * 9 / 10);
    const int height = std::min<int>(Scaled(420), (work.bottom - work.top) * 9 / 10);
    HWND window = CreateWindowExA(0, kHistoryWindowClass, "", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                                  CW_USEDEFAULT, width, height, nullptr, nullptr, app.instance, nullptr);
    if (!window) {
        return nullptr;
    }
    SetWindowTextW(window, WideFromCp932(Text(KelvixText::HistoryTitle)).c_str());
    ShowRange(window, *ViewOf(window));
    PlaceWindow(window, PLACE_CENTRE);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    return window;
}

void RefreshHistoryWindow(HWND window)
{
    HistoryView* view = ViewOf(window);
    if (!view) {
        return;
    }
    Load(window, *view);
    // The point under the pointer stays shown over the new points.
    POINT cursor;
    if (GetCursorPos(&cursor) && ScreenToClient(window, &cursor)) {
        Hover(window, *view, cursor.x, cursor.y);
    }
    InvalidateRect(window, nullptr, FALSE);
}
