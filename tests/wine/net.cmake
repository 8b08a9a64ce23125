# Socket binding and temperature service in the Windows build, with the real WSOCK32.DLL.
set(kv_net_tests ${PROJECT_SOURCE_DIR}/tests/net)

kv_test(wine_ws32lib_test
    SOURCES
        ${kv_net_tests}/ws32lib_test.cpp
        ${kv_net_tests}/ws32lib_win_test.cpp
    LIBS kv_net
)
kv_test(wine_socket_test
    SOURCES ${kv_net_tests}/ws32_sockets_win_test.cpp
    LIBS kv_net
)
kv_test(wine_service_test
    SOURCES
        ${kv_net_tests}/temperature_server_win_test.cpp
    LIBS kv_server
)
target_include_directories(wine_service_test PRIVATE ${kv_net_tests})

# tempquery.exe (the real WSOCK32 path) against the native fake monitors and the native
# server: the native tempquery_test runs it through Wine and holds it to the very bytes and
# exit codes it expects from the Linux tempquery. Needs the native tree built first.
set(KV_NATIVE_TEMPQUERY_TEST ${PROJECT_SOURCE_DIR}/build/native/tests/native/tempquery_test
    CACHE FILEPATH "native tempquery_test that drives tempquery.exe under Wine")
if(EXISTS ${KV_NATIVE_TEMPQUERY_TEST})
    add_test(NAME wine_tempquery_exe_test
        COMMAND ${KV_NATIVE_TEMPQUERY_TEST} --gtest_filter=TempqueryRunTest.*)
    set_tests_properties(wine_tempquery_exe_test PROPERTIES
        LABELS wine
        FIXTURES_REQUIRED wine
        TIMEOUT 300
        WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
        ENVIRONMENT "KV_WINE_DIR=${CMAKE_BINARY_DIR}/wine;TEMPQUERY_COMMAND=${KV_WINE_RUN} $<TARGET_FILE:tempquery>")
else()
    message(STATUS "wine_tempquery_exe_test skipped: no native ${KV_NATIVE_TEMPQUERY_TEST}")
endif()
