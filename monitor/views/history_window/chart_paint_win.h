// Draws a laid-out temperature chart with GDI: grid, labels, each drive's dashed warning
// line, its line and the spread of its buckets; the history window and the viewer's
// small chart both draw through it.
#pragma once

#include "chart_layout.h"
#include "settings.h"

#include <windows.h>

#include <vector>

// colours[i]: series i's; `selected` (or -1) is drawn thicker; `hover`, when found, gets
// a ring. The caller has selected the font and set the origin to the chart's corner.
void PaintChart(HDC dc, const ChartLayout& layout, const std::vector<COLORREF>& colours, int selected,
                const ChartHit& hover, const Settings& settings);
