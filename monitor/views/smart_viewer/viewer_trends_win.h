// The viewer's trends, below its lists: the counts behind the verdict over the drive's
// whole history in words, and its temperature over the last day as a small chart.
#pragma once

#include <windows.h>

#include <cstdint>

enum ViewerTrendControl : int {
    IDC_SMART_TRENDS = 1040,       // the counts' lines (read-only text)
    IDC_SMART_TREND_CHART = 1041,  // the temperature chart
};

// Grows the dialog and adds both below its lowest control; once, when it opens.
void AttachViewerTrends(HWND dialog);
// Fills both for the drive with this number (a present drive of the drive table).
void ShowViewerTrends(HWND dialog, std::uint32_t driveNumber);
