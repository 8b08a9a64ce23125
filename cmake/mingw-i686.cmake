# The shipped programs: 32-bit Windows (i686), mingw-w64 with posix threads.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KV_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
