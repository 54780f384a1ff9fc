# Shared settings of the MinGW-w64 cross builds; the per-architecture files set HOARDSCOPE_MINGW_TRIPLE first.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${HOARDSCOPE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${HOARDSCOPE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${HOARDSCOPE_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${HOARDSCOPE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Self-contained executables: no libstdc++/libwinpthread DLLs to copy next to them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
