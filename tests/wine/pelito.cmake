# PELITO in-process under Wine: its glyph set, main window, poll, tray callbacks and
# dialogs, against a report server on the test's own thread.
if(TARGET kv_pelito_app)
    kv_test(pelito_app_test
        SOURCES pelito/pelito_app_test.cpp pelito/fake_report_server.cpp ui/window_picture.cpp
                ui/modal_script.cpp ui/png_file.cpp ui/ini_file.cpp ui/message_pump.cpp ${KV_PELITO_RESOURCES}
        LIBS kv_pelito_app)
    target_include_directories(pelito_app_test PRIVATE ui pelito ${PROJECT_SOURCE_DIR}/tests/net)
    target_link_libraries(pelito_app_test PRIVATE ws2_32)
    add_dependencies(pelito_app_test ui_test_glyph_files kv_pelito_resources)
    # Writes PELITO.INI in the prefix and shows tray icons, balloons and dialogs.
    set_tests_properties(pelito_app_test PROPERTIES RESOURCE_LOCK kelvix_ini)
endif()
