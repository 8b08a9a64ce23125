# Drive sensing: S.M.A.R.T. requests through the disk-control seam, the drive table,
# the drive database, the measurement cycle, worst values, the log and the settings.
# The simulated drives and drive-set files are portable and part of the library.
add_library(kv_sensing STATIC
    disk_control.cpp
    smart_device.cpp
    drive_enumeration.cpp
    drive_database.cpp
    measurement.cpp
    worst_temperatures.cpp
    temperature_log.cpp
    settings.cpp
    simulated_disk.cpp
    driveset_file.cpp
)
if(WIN32)
    target_sources(kv_sensing PRIVATE disk_control_win.cpp)
endif()
target_include_directories(kv_sensing PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(kv_sensing PUBLIC kv_support)
