# 64-bit Windows edition; its test executables run under wine64.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(HOARDSCOPE_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
