# The release archive for Windows users: Parlomix-<version>.zip in the build folder, holding
# Parlomix.exe, vbmp3.dll, duvarore.dll, help.chm and the two default settings files at its top
# level, so that unpacking it into any folder gives a program that runs and starts without a
# box. Made by the default build. Included from the top-level CMakeLists.txt after the program,
# the libraries, the help file and the default settings are defined.
if(NOT WIN32)
  return()
endif()

find_program(ZIP_EXE zip REQUIRED)

set(PARLOMIX_PACKAGE ${CMAKE_BINARY_DIR}/Parlomix-${PROJECT_VERSION}.zip)
set(PACKAGE_FILES
  $<TARGET_FILE:Parlomix> $<TARGET_FILE:vbmp3> $<TARGET_FILE:duvarore> ${PARLOMIX_DIST}/help.chm
  ${DEFAULT_SETTINGS})

add_custom_command(OUTPUT ${PARLOMIX_PACKAGE}
  # zip adds to an existing archive: start from nothing so a removed file does not linger.
  COMMAND ${CMAKE_COMMAND} -E rm -f ${PARLOMIX_PACKAGE}
  COMMAND ${ZIP_EXE} -q -X -j -9 ${PARLOMIX_PACKAGE} ${PACKAGE_FILES}
  DEPENDS Parlomix vbmp3 duvarore help_chm default_settings ${PACKAGE_FILES}
  COMMENT "Packing Parlomix-${PROJECT_VERSION}.zip"
  VERBATIM)
add_custom_target(package_zip ALL DEPENDS ${PARLOMIX_PACKAGE})
