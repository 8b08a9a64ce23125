# Shared part of the two mingw-w64 toolchains (included with KV_MINGW_TRIPLE set).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${KV_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KV_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KV_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KV_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# The programs carry their runtime: no mingw DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
