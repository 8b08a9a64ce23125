# The about dialog's drive summary.
kv_test(drive_summary_test
    SOURCES ui/drive_summary_test.cpp
    LIBS kv_about_core)
