#include "window_placement.h"

WindowOrigin PlacementOrigin(const RECT& windowRect, int screenWidth, int screenHeight, int code)
{
    const int width = windowRect.right - windowRect.left;
    const int height = windowRect.bottom - windowRect.top;
    switch (code) {
    case PLACE_TOP_LEFT:
        return {0, 0};
    case PLACE_BOTTOM_LEFT:
        return {0, screenHeight - height};
    case PLACE_TOP_RIGHT:
        return {screenWidth - width, 0};
    case PLACE_BOTTOM_RIGHT:
        return {screenWidth - width, screenHeight - height};
    default:
        return {(screenWidth - width) / 2, (screenHeight - height) / 2};
    }
}

namespace {

// The start of a span of `length` moved into [low, high) as little as possible.
long SpanStartInside(long start, long length, long low, long high)
{
    if (start + length > high) {
        start = high - length;
    }
    return start < low ? low : start;
}

}  // namespace

WindowOrigin OriginInside(const RECT& windowRect, const RECT& workArea)
{
    const long width = windowRect.right - windowRect.left;
    const long height = windowRect.bottom - windowRect.top;
    return {static_cast<int>(SpanStartInside(windowRect.left, width, workArea.left, workArea.right)),
            static_cast<int>(SpanStartInside(windowRect.top, height, workArea.top, workArea.bottom))};
}
