#include "chart_paint_win.h"

#include "display_scale.h"
#include "kelvix_texts.h"
#include "wide_text_win.h"

#include <algorithm>
#include <string>

namespace {

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

// A pen that is deleted when the drawing step is done.
class Pen {
public:
    Pen(HDC dc, int style, int width, COLORREF colour)
        : dc_(dc), pen_(CreatePen(style, width, colour)), old_(SelectObject(dc, pen_)) {}
    ~Pen()
    {
        SelectObject(dc_, old_);
        DeleteObject(pen_);
    }
    Pen(const Pen&) = delete;
    Pen& operator=(const Pen&) = delete;

private:
    HDC dc_;
    HPEN pen_;
    HGDIOBJ old_;
};

void Label(HDC dc, int x, int y, const std::string& label, bool right, bool centre)
{
    const std::wstring text = WideFromCp932(label.c_str());
    const SIZE size = TextSize(dc, text);
    const int left = right ? x - size.cx : centre ? x - size.cx / 2 : x;
    TextOutW(dc, left, right ? y - size.cy / 2 : y, text.c_str(), static_cast<int>(text.size()));
}

}  // namespace

void PaintChart(HDC dc, const ChartLayout& layout, const std::vector<COLORREF>& colours, int selected,
                const ChartHit& hover, const Settings& settings)
{
    const ChartRect& plot = layout.plot;
    SetTextColor(dc, settings.ColorNameFront);
    SetBkColor(dc, settings.ColorGrphBack);
    {
        const Pen grid(dc, PS_DOT, 1, RGB(96, 96, 96));
        for (const ChartTick& tick : layout.temperatureTicks) {
            MoveToEx(dc, plot.left, tick.position, nullptr);
            LineTo(dc, plot.right, tick.position);
            Label(dc, plot.left - Scaled(3), tick.position, tick.label, true, false);
        }
        for (const ChartTick& tick : layout.timeTicks) {
            MoveToEx(dc, tick.position, plot.top, nullptr);
            LineTo(dc, tick.position, plot.bottom);
            Label(dc, tick.position, plot.bottom + Scaled(2), tick.label, false, true);
        }
    }
    {
        const Pen frame(dc, PS_SOLID, 1, settings.ColorNameFront);
        const HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
        Rectangle(dc, plot.left - 1, plot.top - 1, plot.right + 1, plot.bottom + 1);
        SelectObject(dc, oldBrush);
    }
    const std::size_t count = std::min(colours.size(), layout.series.size());
    // Warning lines first, so the temperatures are drawn over them.
    for (std::size_t i = 0; i < count; ++i) {
        if (layout.series[i].hasWarning) {
            const Pen dashed(dc, PS_DASH, 1, colours[i]);
            MoveToEx(dc, plot.left, layout.series[i].warningY, nullptr);
            LineTo(dc, plot.right, layout.series[i].warningY);
        }
    }
    bool anything = false;
    std::vector<POINT> points;
    for (std::size_t i = 0; i < count; ++i) {
        const ChartSeriesLayout& series = layout.series[i];
        {
            const Pen spread(dc, PS_SOLID, 1, colours[i]);
            for (const auto& [top, bottom] : series.spreads) {
                MoveToEx(dc, top.x, top.y, nullptr);
                LineTo(dc, bottom.x, bottom.y + 1);
            }
        }
        const Pen line(dc, PS_SOLID, Scaled(static_cast<int>(i) == selected ? 3 : 2), colours[i]);
        for (const std::vector<ChartPixel>& run : series.runs) {
            points.clear();
            for (const ChartPixel& pixel : run) {
                points.push_back({pixel.x, pixel.y});
            }
            Polyline(dc, points.data(), static_cast<int>(points.size()));
            anything = true;
        }
    }
    if (hover.found) {
        const Pen ring(dc, PS_SOLID, Scaled(2), settings.ColorNameFront);
        const HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
        const int r = Scaled(4);
        Ellipse(dc, hover.at.x - r, hover.at.y - r, hover.at.x + r + 1, hover.at.y + r + 1);
        SelectObject(dc, oldBrush);
    }
    if (!anything) {
        const std::wstring text = WideFromCp932(Text(KelvixText::HistoryNothingRecorded));
        const SIZE size = TextSize(dc, text);
        TextOutW(dc, (plot.left + plot.right - size.cx) / 2, (plot.top + plot.bottom - size.cy) / 2, text.c_str(),
                 static_cast<int>(text.size()));
    }
}
