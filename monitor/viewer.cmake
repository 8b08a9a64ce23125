# The S.M.A.R.T. viewer.
#   kv_viewer  - (portable) attribute names, bit and flag texts, the selector lines and
#                the rows of both lists
#   the dialog - (Windows) resource 104 of kelvix.rc, part of the program's objects
add_library(kv_viewer STATIC
    attribute_names.cpp
    viewer_text.cpp
)
target_include_directories(kv_viewer PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(kv_viewer PUBLIC kv_sensing)

if(TARGET kv_monitor_app)
    target_sources(kv_monitor_app PRIVATE smart_viewer_win.cpp)
    target_link_libraries(kv_monitor_app PUBLIC kv_viewer)
endif()
