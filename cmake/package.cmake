# The release archive for Windows users: Parlomix-<version>.zip in the build folder (from the
# 64-bit build Parlomix-<version>-x64.zip, the same for 64-bit Windows without WOW64), holding
# Parlomix.exe, vbmp3.dll, duvarore.dll, help.chm and the two default settings files at its top
# level, so that unpacking it into any folder gives a program that runs and starts without a
# box. Made by the default build. Included from the top-level CMakeLists.txt after the program,
# the libraries, the help file and the default settings are defined.
if(NOT WIN32)
  return()
endif()

find_program(ZIP_EXE zip REQUIRED)

set(PACKAGE_SUFFIX "")
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(PACKAGE_SUFFIX "-x64")
endif()
set(PACKAGE_NAME Parlomix-${PROJECT_VERSION}${PACKAGE_SUFFIX}.zip)
set(PARLOMIX_PACKAGE ${CMAKE_BINARY_DIR}/${PACKAGE_NAME})
set(PACKAGE_FILES
  $<TARGET_FILE:Parlomix> $<TARGET_FILE:vbmp3> $<TARGET_FILE:duvarore> ${PARLOMIX_DIST}/help.chm
  ${DEFAULT_SETTINGS})

add_custom_command(OUTPUT ${PARLOMIX_PACKAGE}
  # zip adds to an existing archive: start from nothing so a removed file does not linger.
  COMMAND ${CMAKE_COMMAND} -E rm -f ${PARLOMIX_PACKAGE}
  COMMAND ${ZIP_EXE} -q -X -j -9 ${PARLOMIX_PACKAGE} ${PACKAGE_FILES}
  DEPENDS Parlomix vbmp3 duvarore help_chm default_settings ${PACKAGE_FILES}
  COMMENT "Packing ${PACKAGE_NAME}"
  VERBATIM)
add_custom_target(package_zip ALL DEPENDS ${PARLOMIX_PACKAGE})
