# Reliability: settings and log files in bad shape (garbage values, read-only files,
# missing folders).
kv_test(reliability_faults_test SOURCES support_faults_test.cpp LIBS kv_support)

# The temperature service under load and random datagrams (the full counts take a few
# seconds, with the sanitizers too).
kv_test(reliability_server_load_test SOURCES reliability/server_load_test.cpp LIBS kv_server kv_loopback_socket)

# Drive sensing with failing drives, spoiled or read-only settings, unwritable log paths
# and a 10,000-line drive database, on the simulated bus.
kv_test(reliability_drive_faults_test SOURCES reliability/drive_faults_test.cpp LIBS kv_sensing_test_support)
target_include_directories(reliability_drive_faults_test PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})

# Load time of large drive databases (a command that prints figures, not a test).
if(KV_BENCH)
    add_executable(bench_drive_database ${PROJECT_SOURCE_DIR}/tests/bench/bench_drive_database.cpp)
    target_link_libraries(bench_drive_database PRIVATE kv_sensing benchmark::benchmark)
endif()
