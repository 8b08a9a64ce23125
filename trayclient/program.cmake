# PELITO.exe: the Windows objects as one object library (shared with the tests), the
# entry apart.
add_library(kv_pelito_app OBJECT
    about_dialog_win.cpp
    client_state_win.cpp
    client_window_win.cpp
    digit_icon_set_win.cpp
    pelito_error_win.cpp
    report_query_win.cpp
    settings_dialog_win.cpp
    settings_location_win.cpp
    tray_digits_win.cpp
)
target_include_directories(kv_pelito_app PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(kv_pelito_app PUBLIC kv_pelito kv_net kv_ui kv_support)

kv_windres(pelito_resource_object pelito.rc
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/pelito_resources.h ${KV_PROGRAM_ICON})
set(KV_PELITO_RESOURCES ${pelito_resource_object} CACHE INTERNAL "PELITO's icon, dialogs and version, for tests")
add_custom_target(kv_pelito_resources DEPENDS ${pelito_resource_object})

kv_windres(pelito_manifest_object pelito_manifest.rc DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/pelito.manifest)

add_executable(PELITO WIN32 pelito_main_win.cpp ${pelito_resource_object} ${pelito_manifest_object})
target_link_libraries(PELITO PRIVATE kv_pelito_app)
# The default glyph file lives beside the program.
add_dependencies(PELITO glyph_file)
kv_program_files(PELITO ${KV_GLYPH_FILE})
