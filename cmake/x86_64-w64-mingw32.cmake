# Cross-compiles the program, its two libraries and the tests for 64-bit Windows. The release is
# the 32-bit build; this one runs the tests under wine64 on machines that cannot run 32-bit code.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
