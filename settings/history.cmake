# The play history: its list operations are portable, its File menu part is Win32.
# Included from settings/CMakeLists.txt (and from playback/, which needs it); the guard keeps
# the sources from being added twice.
include_guard(GLOBAL)
target_sources(parlomix_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/history.cpp)
if(WIN32)
  target_sources(parlomix_win PRIVATE ${CMAKE_CURRENT_LIST_DIR}/history_menu.cpp)
endif()
