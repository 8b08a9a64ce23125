// Where PlaceWindow puts a window: a corner of the primary screen or its centre.
#pragma once

#include "wintypes.h"

enum WindowPlacementCode {
    PLACE_CENTRE = 0,
    PLACE_TOP_LEFT = 1,
    PLACE_BOTTOM_LEFT = 2,
    PLACE_TOP_RIGHT = 3,
    PLACE_BOTTOM_RIGHT = 4,
};

struct WindowOrigin {
    int x;
    int y;
};

// Top-left corner for a window with the given rectangle on a screen of the given size.
// Any code other than 1 to 4 centres the window (a window larger than the screen gets
// a negative edge).
WindowOrigin PlacementOrigin(const RECT& windowRect, int screenWidth, int screenHeight, int code);

// Top-left corner that brings the window inside the work area, moving it as little as
// possible; a window larger than the area keeps its top-left corner on the area's.
WindowOrigin OriginInside(const RECT& windowRect, const RECT& workArea);
