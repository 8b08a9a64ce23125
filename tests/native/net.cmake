# Temperature service, socket binding and tempquery: native unit tests on loopback.
set(kv_net_tests ${PROJECT_SOURCE_DIR}/tests/net)

# Tables are filled by hand here; until drive sensing provides SmartDevice, a placeholder
# supplies the one member the tests need (closing an unopened device).
if(TARGET kv_sensing)
    set(kv_net_drive_libs kv_sensing)
    set(kv_net_drive_sources)
else()
    set(kv_net_drive_libs)
    set(kv_net_drive_sources ${PROJECT_SOURCE_DIR}/tests/standin/smart_device_close.cpp)
endif()

add_library(kv_loopback_socket STATIC ${kv_net_tests}/loopback_socket.cpp)
target_include_directories(kv_loopback_socket PUBLIC ${kv_net_tests})

kv_test(service_test
    SOURCES
        ${kv_net_tests}/ws32lib_test.cpp
        ${kv_net_tests}/udp_socket_test.cpp
        ${kv_net_tests}/message_table_test.cpp
        ${kv_net_tests}/drive_report_test.cpp
        ${kv_net_tests}/request_dispatch_test.cpp
        ${kv_net_tests}/temperature_server_test.cpp
        ${kv_net_drive_sources}
    LIBS kv_server kv_loopback_socket ${kv_net_drive_libs}
)

kv_test(tempquery_test
    SOURCES
        ${kv_net_tests}/report_printer_test.cpp
        ${kv_net_tests}/dotted_address_test.cpp
        ${kv_net_tests}/tempquery_run_test.cpp
        ${kv_net_drive_sources}
    LIBS kv_query kv_server kv_loopback_socket ${kv_net_drive_libs}
)
target_compile_definitions(tempquery_test PRIVATE TEMPQUERY_PATH="$<TARGET_FILE:tempquery>")
add_dependencies(tempquery_test tempquery)

# The Windows tempquery.exe under Wine against the same fake monitors and the native
# server (the real WSOCK32 path), held to the same output bytes and exit codes. Needs a
# Windows build: -DKV_TEMPQUERY_EXE=<windows build>/query/tempquery.exe
set(KV_TEMPQUERY_EXE "" CACHE FILEPATH "tempquery.exe to run under Wine against native servers")
set(KV_WINE_RUNNER ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh CACHE FILEPATH "runs a Windows program under Wine")
if(KV_TEMPQUERY_EXE)
    add_test(NAME tempquery_exe_wine_test COMMAND tempquery_test --gtest_filter=TempqueryRunTest.*)
    set_tests_properties(tempquery_exe_wine_test PROPERTIES
        LABELS wine
        WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
        TIMEOUT 600
        ENVIRONMENT "TEMPQUERY_COMMAND=${KV_WINE_RUNNER} ${KV_TEMPQUERY_EXE}")
endif()

if(KV_BENCH)
    # Report-server throughput against a minimal responder, latency and memory: a command
    # that prints figures, not a test.
    add_executable(bench_server ${PROJECT_SOURCE_DIR}/tests/bench/bench_server.cpp ${kv_net_drive_sources})
    target_link_libraries(bench_server PRIVATE kv_server kv_loopback_socket ${kv_net_drive_libs})
endif()
