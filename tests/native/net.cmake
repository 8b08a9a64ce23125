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
    LIBS kv_query kv_loopback_socket
)
target_compile_definitions(tempquery_test PRIVATE TEMPQUERY_PATH="$<TARGET_FILE:tempquery>")
add_dependencies(tempquery_test tempquery)
