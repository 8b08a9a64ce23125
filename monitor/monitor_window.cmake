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

if(WIN32 AND TARGET kv_monitor_app)
    add_library(kv_monitor_window STATIC
        monitor_window_win.cpp
        monitor_window_menu_win.cpp
        transparency_slider_win.cpp
    )
    target_include_directories(kv_monitor_window PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(kv_monitor_window PUBLIC kv_monitor_window_core kv_monitor_icons kv_server kv_ui
        comctl32 gdi32 user32)
    # The program's objects call into the window, and the window into App().
    target_link_libraries(kv_monitor_app PUBLIC kv_monitor_window)
endif()
