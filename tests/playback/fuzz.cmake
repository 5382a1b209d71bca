# libFuzzer target for the playback decisions and the play history (native clang builds only).
# Meant to be included from tests/fuzz/CMakeLists.txt, which sets FUZZ_FLAGS.
set(PLAYBACK_FUZZ_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/fuzz_playback.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fake_port.cpp
  ${CMAKE_SOURCE_DIR}/playback/controller.cpp
  ${CMAKE_SOURCE_DIR}/playback/open_sequence.cpp
  ${CMAKE_SOURCE_DIR}/settings/history.cpp
  ${CMAKE_SOURCE_DIR}/settings/option_data.cpp
  ${CMAKE_SOURCE_DIR}/common/file_spec.cpp)
add_executable(fuzz_playback ${PLAYBACK_FUZZ_SOURCES})
target_include_directories(fuzz_playback PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_options(fuzz_playback PRIVATE ${FUZZ_FLAGS})
target_link_options(fuzz_playback PRIVATE ${FUZZ_FLAGS})
set(PLAYBACK_FUZZ_CORPUS ${CMAKE_CURRENT_BINARY_DIR}/corpus/fuzz_playback)
file(MAKE_DIRECTORY ${PLAYBACK_FUZZ_CORPUS})
add_test(NAME fuzz_playback
  COMMAND $<TARGET_FILE:fuzz_playback> -max_total_time=15 -timeout=5 -rss_limit_mb=1024
          -print_final_stats=1 ${PLAYBACK_FUZZ_CORPUS})
set_tests_properties(fuzz_playback PROPERTIES TIMEOUT 60 LABELS fuzz)
