// The monitor window's reduced sizes ("Divide" 1 to 5): fewer columns, then fewer rows,
// measured from the full-size window.
#pragma once

struct WindowSize {
    int width;
    int height;
};

// W x H: window rectangle; w x h: client rectangle, both of the full-size window.
// "Divide" 0 and values the menu never offers keep the full size.
WindowSize ReducedWindowSize(unsigned divide, int windowWidth, int windowHeight, int clientWidth, int clientHeight);
