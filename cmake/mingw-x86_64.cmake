# The same sources as 64-bit Windows programs. This is the build the Wine tests run:
# the test machines' kernels have 32-bit emulation switched off, so 32-bit Wine cannot
# start there, while 64-bit Wine can.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KV_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
