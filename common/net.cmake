# Socket binding (WS32LIB_ and its call stubs), the stream calls of the TCP services and
# the UDP socket classes.
# Windows: WSOCK32.DLL loaded at run time. Native: the same interface on BSD sockets.
if(WIN32)
    set(kv_net_platform ws32lib_win.cpp ws32_stream_win.cpp)
    set(kv_net_types_dir win)
else()
    set(kv_net_platform ws32lib_posix.cpp ws32_stream_posix.cpp)
    set(kv_net_types_dir posix)
endif()
add_library(kv_net STATIC
    ws32lib.cpp
    ws32_startup.cpp
    ${kv_net_platform}
    udp_common.cpp
    udpserver.cpp
    udpclient.cpp
    verdict_report.cpp
    health_words.cpp
)
target_include_directories(kv_net PUBLIC
    ${CMAKE_CURRENT_SOURCE_DIR}
    ${CMAKE_CURRENT_SOURCE_DIR}/${kv_net_types_dir}
)
target_link_libraries(kv_net PUBLIC kv_language)  # the health words
if(NOT WIN32)
    target_link_libraries(kv_net PUBLIC ${CMAKE_DL_LIBS})
endif()
