# Tray, balloon, clipboard and window-placement rules, and the glyph pictures.
kv_test(ui_rules_test
    SOURCES ui/placement_path_test.cpp ui/tray_slot_test.cpp ui/balloon_text_test.cpp
            ui/clipboard_text_test.cpp
    LIBS kv_ui_core kv_monitor_ui_core)
kv_test(glyph_art_test
    SOURCES ui/glyph_art_test.cpp
    LIBS kv_glyph_art)
kv_test(drive_readings_test
    SOURCES ui/drive_readings_test.cpp
    LIBS kv_monitor_ui_core)
kv_test(monitor_window_rules_test
    SOURCES ui/monitor_window_rules_test.cpp
    LIBS kv_monitor_window_core)
