// Numbers of the monitor window: its controls, its context-menu commands, its timer.
#pragma once

#include <windows.h>

// Cell i's controls.
constexpr int kNameTextId = 1100;
constexpr int kTemperatureTextId = 1200;
constexpr int kCurrentBarId = 1300;
constexpr int kWorstBarId = 1400;

constexpr UINT_PTR kWorstTimerId = 4098;
// Posted by the transparency slider with the new opacity.
constexpr UINT kOpacityMessage = 32897;

enum MonitorWindowCommand : UINT {
    CMD_SAVE_SETTINGS = 32784,
    CMD_SHOW_WORST = 32800,
    CMD_FIX_POSITION = 32801,
    CMD_TOP_MOST = 32802,
    CMD_SIZE_FIRST = 32816,   // 32816 full size .. 32821 one sixteenth
    CMD_SIZE_LAST = 32821,
    CMD_PLACE_FIRST = 32832,  // 32832 centre .. 32836 bottom right
    CMD_PLACE_LAST = 32836,
    CMD_NAME_BACK = 32848,
    CMD_NAME_FRONT = 32849,
    CMD_TEMP_BACK = 32864,
    CMD_TEMP_CURRENT = 32865,
    CMD_TEMP_MAXIMUM = 32866,
    CMD_GRAPH_BACK = 32880,
    CMD_GRAPH_LEVEL_FIRST = 32881,  // Level0 .. Level4
    CMD_GRAPH_LEVEL_LAST = 32885,
    CMD_TRANSPARENCY = 32896,
    CMD_TEMPERATURE_FONT = 32900,
};
