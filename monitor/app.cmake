# KELVIX, the monitor program.
#   kv_monitor_ui_core - portable rules: tray slot, balloon and clipboard texts, timer period
#   (Windows) the icon table; the program itself follows.
add_library(kv_monitor_ui_core STATIC
    balloon_text.cpp
    clipboard_text.cpp
    measurement_period.cpp
    tray_slot.cpp
)
target_include_directories(kv_monitor_ui_core PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})

if(WIN32)
    add_library(kv_monitor_icons STATIC icon_table_win.cpp)
    target_include_directories(kv_monitor_icons PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(kv_monitor_icons PUBLIC kv_ui kv_monitor_ui_core)
endif()
