# The temperature service: MessageTable and the message seam, the drive report, the
# dispatch of one request, and TemperatureServer with its worker thread.
find_package(Threads REQUIRED)
if(WIN32)
    set(kv_message_box message_box_win.cpp)
else()
    set(kv_message_box message_box_native.cpp)
endif()
add_library(kv_server STATIC
    message_table.cpp
    ${kv_message_box}
    drive_report.cpp
    request_dispatch.cpp
    server_worker.cpp
    temperature_server.cpp
)
target_include_directories(kv_server PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
# The drive table's records (DriveRecord holds a SmartDevice) come from drive sensing.
target_link_libraries(kv_server PUBLIC kv_net kv_sensing Threads::Threads)
