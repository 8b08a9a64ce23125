# Socket binding and temperature service in the Windows build, with the real WSOCK32.DLL.
set(kv_net_tests ${PROJECT_SOURCE_DIR}/tests/net)
if(TARGET kv_sensing)
    set(kv_net_drive_libs kv_sensing)
    set(kv_net_drive_sources)
else()
    set(kv_net_drive_libs)
    set(kv_net_drive_sources ${PROJECT_SOURCE_DIR}/tests/standin/smart_device_close.cpp)
endif()

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
        ${kv_net_drive_sources}
    LIBS kv_server ${kv_net_drive_libs}
)
target_include_directories(wine_service_test PRIVATE ${kv_net_tests})
