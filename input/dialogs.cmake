# The binding dialogs: their texts and decisions are portable (parlomix_core), the dialogs
# themselves Win32 (parlomix_win). Included from the top-level CMakeLists.txt.
set(DIALOG_CORE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/dialog_text.cpp)
target_sources(parlomix_core PRIVATE ${DIALOG_CORE_SOURCES})

if(WIN32)
  # parlomix_core is declared before the global CP932 option: the title's Japanese text asks
  # for it here.
  set_source_files_properties(${DIALOG_CORE_SOURCES} TARGET_DIRECTORY parlomix_core
    PROPERTIES COMPILE_OPTIONS "-fexec-charset=CP932")
  target_sources(parlomix_win PRIVATE ${CMAKE_CURRENT_LIST_DIR}/settings_dialogs.cpp)
endif()
