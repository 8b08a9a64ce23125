# Drive sensing on Windows: the real disk-control calls under Wine (which has no
# S.M.A.R.T. drives) and the simulated drives with the SDK's own records.
kv_test(sensing_disk_control_wine_test SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/sensing_disk_control_test.cpp LIBS kv_sensing)
