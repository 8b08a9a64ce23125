# The tray client's portable rules: settings, host text, poll handling.
kv_test(pelito_core_test
    SOURCES pelito/pelito_settings_test.cpp pelito/report_slots_test.cpp pelito/host_text_test.cpp
            pelito/pelito_messages_test.cpp
    LIBS kv_pelito)
target_include_directories(pelito_core_test PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests/net)
