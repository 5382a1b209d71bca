# Cross-compiles the program and its two libraries for 32-bit Windows with Debian's mingw-w64
# (posix thread model). Test executables run under Wine through the emulator wrapper.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
