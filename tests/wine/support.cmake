# Support library under Wine: the profile cases shared with the native tree run here
# against the platform's own profile functions, so both engines are held to one table.
set(kv_shared_support_tests ${PROJECT_SOURCE_DIR}/tests/native)
kv_test(support_profile_wine_test SOURCES ${kv_shared_support_tests}/profile_cases_test.cpp LIBS kv_support)
kv_test(support_inifile_wine_test SOURCES ${kv_shared_support_tests}/inifile_cases_test.cpp LIBS kv_support)
# The same bytes must reach log files on Windows.
kv_test(support_file_wine_test SOURCES ${kv_shared_support_tests}/file_test.cpp LIBS kv_support)
