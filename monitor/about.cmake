# KELVIX's about dialog: the drive summary rules are portable; the dialog itself joins
# the program's objects (kv_monitor_app, app.cmake).
add_library(kv_about_core STATIC drive_summary.cpp)
target_include_directories(kv_about_core PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(kv_about_core PUBLIC kv_sensing)

# The dialog joins the program's objects.
if(TARGET kv_monitor_app)
    target_sources(kv_monitor_app PRIVATE about_dialog_win.cpp)
    target_link_libraries(kv_monitor_app PUBLIC kv_about_core)
endif()
