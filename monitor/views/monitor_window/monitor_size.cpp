#include "monitor_size.h"

WindowSize ReducedWindowSize(unsigned divide, int windowWidth, int windowHeight, int clientWidth, int clientHeight)
{
    const int frameWidth = windowWidth - clientWidth;
    const int frameHeight = windowHeight - clientHeight;
    switch (divide) {
    case 1:
        return {frameWidth + 3 * (clientWidth / 4), windowHeight};
    case 2:
        return {frameWidth - 1 + clientWidth / 2, windowHeight};
    case 3:
        return {frameWidth - 2 + clientWidth / 4, windowHeight};
    case 4:
        return {frameWidth - 2 + clientWidth / 4, frameHeight - 1 + clientHeight / 2};
    case 5:
        return {frameWidth - 2 + clientWidth / 4, frameHeight - 2 + clientHeight / 4};
    default:
        return {windowWidth, windowHeight};
    }
}
