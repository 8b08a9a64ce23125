# Support library: CSTR, INIFILE over our profile engine, CFILE and LOGFILE.
kv_test(support_cstr_test SOURCES cstr_test.cpp LIBS kv_support)
kv_test(support_file_test SOURCES file_test.cpp LIBS kv_support)
# Shared with the Windows tree, where the same cases run against the platform.
kv_test(support_profile_test SOURCES profile_cases_test.cpp LIBS kv_support)
kv_test(support_inifile_test SOURCES inifile_cases_test.cpp LIBS kv_support)
kv_test(support_profile_native_test SOURCES profile_native_test.cpp LIBS kv_support)
