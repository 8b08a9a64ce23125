# Shared user-interface code of KELVIX and PELITO.
#   kv_ui_core - portable rules (placement, path split, files beside the program, code page
#                932 cuts, pixel sizes scaled to the display, tray icon id, timer periods,
#                glyph pictures composed in memory and enlarged to the tray's size)
#   kv_ui      - (Windows) tray icon wrapper, glyph loading, the common-controls library
#                loaded on first use, list columns fitted to their texts, window helpers, the message
#                filter, drawing-object holders, the version-resource reader, the
#                UTF-16 boundary for the programs' code page 932 texts
add_library(kv_ui_core STATIC
    cp932_text.cpp
    display_scale.cpp
    glyph_picture.cpp
    program_folder.cpp
    split_path.cpp
    timer_period.cpp
    window_placement.cpp
)
target_include_directories(kv_ui_core PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(kv_ui_core PUBLIC kv_language)

if(WIN32)
    add_library(kv_ui STATIC
        common_controls_win.cpp
        display_scale_win.cpp
        gdi_brush_win.cpp
        gdi_font_win.cpp
        glyphs_win.cpp
        list_columns_win.cpp
        message_filter_win.cpp
        profile_location_win.cpp
        program_folder_win.cpp
        tray_icon_win.cpp
        version_info_win.cpp
        wide_text_win.cpp
        window_helpers_win.cpp
    )
    target_include_directories(kv_ui PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(kv_ui PUBLIC kv_ui_core shell32 gdi32 user32 version)
endif()
