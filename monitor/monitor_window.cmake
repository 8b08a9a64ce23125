# The monitor window (dialog 103) and its transparency slider (dialog 105).
#   kv_monitor_window_core - portable rules: which drive goes in which cell, the bar
#                            colours, the reduced sizes, the temperature text
#   kv_monitor_window      - (Windows) the window, its context menu and the slider
add_library(kv_monitor_window_core STATIC
    monitor_bars.cpp
    monitor_cells.cpp
    monitor_size.cpp
    temperature_text.cpp
)
target_include_directories(kv_monitor_window_core PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(kv_monitor_window_core PUBLIC kv_sensing)
