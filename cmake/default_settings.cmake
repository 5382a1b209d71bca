# The two settings files as a first start would write them, made at build time by a small tool
# built for the build machine from the same sources as the program (build/defaults). They go
# into the release archive and, where the program's folder has none yet, into build/Parlomix;
# files there that the program has since rewritten are the user's and stay as they are.
find_program(HOST_CXX NAMES clang++ c++ g++ REQUIRED)
set(PARLOMIX_DEFAULTS ${CMAKE_BINARY_DIR}/defaults)
set(DEFAULT_SETTINGS_SOURCES
  ${CMAKE_SOURCE_DIR}/settings/write_default_settings.cpp
  ${CMAKE_SOURCE_DIR}/settings/option_data.cpp
  ${CMAKE_SOURCE_DIR}/input/tables.cpp)
set(DEFAULT_SETTINGS ${PARLOMIX_DEFAULTS}/parlomix_opt ${PARLOMIX_DEFAULTS}/parlomix_key)
add_custom_command(OUTPUT ${DEFAULT_SETTINGS}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PARLOMIX_DEFAULTS}
  COMMAND ${HOST_CXX} -std=c++17 -I${CMAKE_SOURCE_DIR} ${DEFAULT_SETTINGS_SOURCES}
          -o ${PARLOMIX_DEFAULTS}/write_default_settings
  COMMAND ${PARLOMIX_DEFAULTS}/write_default_settings ${PARLOMIX_DEFAULTS}
  DEPENDS ${DEFAULT_SETTINGS_SOURCES} ${CMAKE_SOURCE_DIR}/settings/option_data.h
          ${CMAKE_SOURCE_DIR}/input/tables.h ${CMAKE_SOURCE_DIR}/input/key_data.h
  COMMENT "Writing the default settings files"
  VERBATIM)
add_custom_target(default_settings ALL
  COMMAND sh -c "for f in parlomix_opt parlomix_key; do [ -e \"$2/$f\" ] || cp \"$1/$f\" \"$2/$f\"; done"
          copy ${PARLOMIX_DEFAULTS} ${PARLOMIX_DIST}
  DEPENDS ${DEFAULT_SETTINGS}
  VERBATIM)
