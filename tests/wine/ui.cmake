# Tray icon records, window helpers and the composed tray pictures, under Wine.
# The tests load glyph files by bare name from their working directory: the default
# glyph file and one built without icon 543.
set(ui_glyph_dir ${CMAKE_CURRENT_BINARY_DIR}/glyphs-no543)
set(ui_no543_script ${ui_glyph_dir}/no543.rc)
set(ui_no543_icons)
set(ui_no543_lines "")
foreach(id RANGE 500 542)
    list(APPEND ui_no543_icons ${KV_GLYPH_DIR}/glyph${id}.ico)
    string(APPEND ui_no543_lines "${id} ICON \"${KV_GLYPH_DIR}/glyph${id}.ico\"\n")
endforeach()
file(MAKE_DIRECTORY ${ui_glyph_dir})
file(WRITE ${ui_no543_script} "${ui_no543_lines}")
kv_resource_module(${CMAKE_CURRENT_BINARY_DIR}/NO543.KVX ${ui_no543_script} DEPENDS ${ui_no543_icons})

add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/7SEG_G.KVX
    COMMAND ${CMAKE_COMMAND} -E copy ${KV_GLYPH_FILE} ${CMAKE_CURRENT_BINARY_DIR}/7SEG_G.KVX
    DEPENDS ${KV_GLYPH_FILE}
    VERBATIM)
# Modules with version resources for the version reader: one translation, and two.
foreach(module verinfo twotrans)
    string(TOUPPER ${module} upper)
    kv_resource_module(${CMAKE_CURRENT_BINARY_DIR}/${upper}.DLL
        ${CMAKE_CURRENT_SOURCE_DIR}/ui/versions/${module}.rc)
endforeach()
add_custom_target(ui_test_glyph_files
    DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/7SEG_G.KVX ${CMAKE_CURRENT_BINARY_DIR}/NO543.KVX
            ${CMAKE_CURRENT_BINARY_DIR}/VERINFO.DLL ${CMAKE_CURRENT_BINARY_DIR}/TWOTRANS.DLL)

kv_test(ui_win_test
    SOURCES ui/tray_icon_test.cpp ui/icon_table_test.cpp ui/window_helpers_test.cpp ui/tray_screen_test.cpp
            ui/version_info_test.cpp ui/gdi_objects_test.cpp ui/png_file.cpp ui/window_picture.cpp
            ui/message_pump.cpp
    LIBS kv_monitor_icons kv_ui kv_glyph_art)
target_include_directories(ui_win_test PRIVATE ui)
add_dependencies(ui_win_test ui_test_glyph_files)
# It reads its tray icon off the screen: not while another program's icons, balloons or
# dialogs come and go there.
set_tests_properties(ui_win_test PROPERTIES RESOURCE_LOCK kelvix_ini)

# A test of the monitor program in-process: ui/NAME.cpp and its other SOURCES with what these
# tests share (the program on simulated drives, its settings file, the message loop and
# screen pictures). Every case writes the monitor's INI file in the prefix's Windows directory.
function(kv_monitor_ui_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES" ${ARGN})
    kv_test(${name}
        SOURCES ui/${name}.cpp ${ARG_SOURCES} ui/monitor_session.cpp ui/ini_file.cpp ui/message_pump.cpp
                ui/window_picture.cpp ui/png_file.cpp ${KV_MONITOR_RESOURCES}
        LIBS kv_monitor_app)
    target_include_directories(${name} PRIVATE ui)
    add_dependencies(${name} ui_test_glyph_files kv_monitor_resources)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK kelvix_ini)
endfunction()

# The monitor program in-process (needs the temperature service for its main window), and
# the S.M.A.R.T. viewer opened from its main window.
if(TARGET kv_monitor_app)
    kv_monitor_ui_test(monitor_app_test SOURCES ui/modal_script.cpp)
    kv_monitor_ui_test(smart_viewer_test)
endif()

# The monitor window and its transparency slider, opened by the monitor's main window.
if(TARGET kv_monitor_window)
    kv_monitor_ui_test(monitor_window_test SOURCES ui/modal_script.cpp)
endif()
