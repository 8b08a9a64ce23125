# Temperature service, socket binding and tempquery: native unit tests on loopback.
set(kv_net_tests ${PROJECT_SOURCE_DIR}/tests/net)

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
    LIBS kv_server kv_loopback_socket
)

kv_test(tempquery_test
    SOURCES
        ${kv_net_tests}/report_printer_test.cpp
        ${kv_net_tests}/dotted_address_test.cpp
        ${kv_net_tests}/tempquery_run_test.cpp
    LIBS kv_query kv_server kv_loopback_socket
)
target_compile_definitions(tempquery_test PRIVATE TEMPQUERY_PATH="$<TARGET_FILE:tempquery>")
add_dependencies(tempquery_test tempquery)

if(KV_BENCH)
    # Report-server throughput against a minimal responder, latency and memory: a command
    # that prints figures, not a test.
    add_executable(bench_server ${PROJECT_SOURCE_DIR}/tests/bench/bench_server.cpp)
    target_link_libraries(bench_server PRIVATE kv_server kv_loopback_socket)
endif()
