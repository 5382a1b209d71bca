# Cross-compiles the program, its two libraries and the tests for 64-bit Windows: the x64
# release archive, and the build whose tests run under wine64 where 32-bit code cannot run or
# runs only emulated (see scripts/test.sh).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
