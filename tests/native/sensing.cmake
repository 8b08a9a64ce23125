# Drive sensing: SmartDevice, enumeration, database, measurement, settings, log and the
# simulated drives, all against the simulated disk bus.
add_library(kv_sensing_test_support STATIC sensing/sensing_test_support.cpp)
target_link_libraries(kv_sensing_test_support PUBLIC kv_sensing GTest::gtest)
target_include_directories(kv_sensing_test_support PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/sensing)

kv_test(sensing_smart_device_test SOURCES sensing/smart_device_test.cpp LIBS kv_sensing_test_support)
kv_test(sensing_enumeration_test SOURCES sensing/drive_enumeration_test.cpp LIBS kv_sensing_test_support)
kv_test(sensing_database_test SOURCES sensing/drive_database_test.cpp LIBS kv_sensing_test_support)
target_compile_definitions(sensing_database_test PRIVATE
    KV_HDDATA_CFG="${PROJECT_SOURCE_DIR}/monitor/HDDATA.CFG")
kv_test(sensing_drive_models_test
    SOURCES ${PROJECT_SOURCE_DIR}/tests/monitor/sensing/drive_models_test.cpp LIBS kv_sensing)
target_compile_definitions(sensing_drive_models_test PRIVATE
    KV_HDDATA_CFG="${PROJECT_SOURCE_DIR}/monitor/HDDATA.CFG"
    KV_DRIVE_MODELS="${PROJECT_SOURCE_DIR}/tests/monitor/sensing/drive_models.txt")
kv_test(sensing_measurement_test SOURCES sensing/measurement_test.cpp LIBS kv_sensing_test_support)
kv_test(sensing_driveset_test SOURCES sensing/driveset_file_test.cpp LIBS kv_sensing_test_support)
target_compile_definitions(sensing_driveset_test PRIVATE
    KV_HDDATA_CFG="${PROJECT_SOURCE_DIR}/monitor/HDDATA.CFG"
    KV_EXAMPLE_DRIVESET="${PROJECT_SOURCE_DIR}/monitor/example.driveset")
kv_test(sensing_settings_test SOURCES sensing/settings_test.cpp sensing/temperature_log_test.cpp
    LIBS kv_sensing_test_support)

# One measurement cycle over sixteen simulated drives (a command, not a test).
if(KV_BENCH)
    add_executable(bench_measure ${PROJECT_SOURCE_DIR}/tests/bench/bench_measure.cpp)
    target_link_libraries(bench_measure PRIVATE kv_sensing benchmark::benchmark)
endif()
