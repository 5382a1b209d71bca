# The demo recording that the run command opens when it is given no file.
set(PARLOMIX_DEMO ${CMAKE_BINARY_DIR}/demo/demo.mp3)
add_custom_command(OUTPUT ${PARLOMIX_DEMO}
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/make-demo.sh ${PARLOMIX_DEMO}
  DEPENDS ${CMAKE_SOURCE_DIR}/scripts/make-demo.sh)
add_custom_target(demo ALL DEPENDS ${PARLOMIX_DEMO})
