# KELVIX, the monitor program.
#   kv_monitor_ui_core - portable rules: tray slot, balloon and clipboard texts, the
#                        readings taken from the drive table
#   kv_monitor_icons   - (Windows) the 203 tray pictures
#   kv_monitor_app     - (Windows) entry, main window, tray actions, settings dialog
#   KELVIX.exe         - reaches the drives through the Windows disk-control calls
#   KELVIX_SIM.exe     - the same program on simulated drives from a drive-set file
add_library(kv_monitor_ui_core STATIC
    balloon_text.cpp
    clipboard_text.cpp
    drive_readings.cpp
    tray_slot.cpp
)
target_include_directories(kv_monitor_ui_core PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(kv_monitor_ui_core PUBLIC kv_sensing)

if(WIN32)
    add_library(kv_monitor_icons STATIC icon_table_win.cpp)
    target_include_directories(kv_monitor_icons PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(kv_monitor_icons PUBLIC kv_ui kv_monitor_ui_core)

endif()

# The program needs the temperature service (kv_server) as well.
if(WIN32 AND TARGET kv_server)
    # One set of objects for both programs and the tests; the entry apart, as object
    # libraries so that WinMain is linked in.
    add_library(kv_monitor_app OBJECT
        app_state_win.cpp
        error_box_win.cpp
        main_window_win.cpp
        named_mutex_win.cpp
        settings_dialog_win.cpp
        tray_actions_win.cpp
    )
    target_include_directories(kv_monitor_app PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(kv_monitor_app PUBLIC kv_monitor_icons kv_server kv_sensing kv_ui comctl32)
    add_library(kv_monitor_entry OBJECT kelvix_main_win.cpp)
    target_link_libraries(kv_monitor_entry PUBLIC kv_monitor_app)

    # Resources go through windres directly (the project's compile options are not for it).
    function(kv_monitor_resource name script)
        set(object ${CMAKE_CURRENT_BINARY_DIR}/${name}.res.o)
        add_custom_command(OUTPUT ${object}
            COMMAND ${CMAKE_RC_COMPILER} -O coff -I ${CMAKE_CURRENT_SOURCE_DIR} -I ${KV_GLYPH_DIR}
                    -i ${CMAKE_CURRENT_SOURCE_DIR}/${script} -o ${object}
            DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${script} ${ARGN}
            VERBATIM)
        set(${name}_object ${object} PARENT_SCOPE)
    endfunction()
    kv_monitor_resource(kelvix kelvix.rc ${KV_PROGRAM_ICON})
    set(KV_MONITOR_RESOURCES ${kelvix_object} CACHE INTERNAL "icon 200 and dialog 102, for tests")
    add_custom_target(kv_monitor_resources DEPENDS ${kelvix_object})
    kv_monitor_resource(kelvix_manifest kelvix_manifest.rc ${CMAKE_CURRENT_SOURCE_DIR}/kelvix.manifest)
    kv_monitor_resource(kelvix_sim_manifest kelvix_sim_manifest.rc ${CMAKE_CURRENT_SOURCE_DIR}/kelvix_sim.manifest)

    add_executable(KELVIX WIN32 disk_setup_win.cpp ${kelvix_object} ${kelvix_manifest_object})
    target_link_libraries(KELVIX PRIVATE kv_monitor_entry kv_monitor_app)
    add_executable(KELVIX_SIM WIN32 disk_setup_sim_win.cpp ${kelvix_object} ${kelvix_sim_manifest_object})
    target_link_libraries(KELVIX_SIM PRIVATE kv_monitor_entry kv_monitor_app)

    # The programs find their default files beside them: glyph file and drive database.
    foreach(program KELVIX KELVIX_SIM)
        add_dependencies(${program} glyph_file)
        add_custom_command(TARGET ${program} POST_BUILD
            COMMAND ${CMAKE_COMMAND} -E copy_if_different ${KV_GLYPH_FILE} $<TARGET_FILE_DIR:${program}>/7SEG_G.KVX
            COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_CURRENT_SOURCE_DIR}/HDDATA.CFG
                    $<TARGET_FILE_DIR:${program}>/HDDATA.CFG
            VERBATIM)
    endforeach()
endif()
