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
