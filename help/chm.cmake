# help.chm: the Japanese help pages in help/chm (Shift_JIS) compiled with chmcmd and placed
# beside Parlomix.exe. chmcmd reads a copy of the pages and writes into a folder of its own,
# so the source tree stays clean. Included from help/CMakeLists.txt.
if(NOT WIN32)
  return()
endif()

find_program(CHMCMD_EXE chmcmd REQUIRED)

set(CHM_SOURCE ${CMAKE_CURRENT_LIST_DIR}/chm)
set(CHM_STAGE ${CMAKE_CURRENT_BINARY_DIR}/chm-pages)
set(CHM_OUT ${CMAKE_CURRENT_BINARY_DIR}/chm-out)
set(HELP_CHM ${PARLOMIX_DIST}/help.chm)
set(CHM_INPUTS parlomix.hhp toc.hhc index.hhk style.css
  index.htm start.htm keys.htm pedals.htm history.htm settings.htm trouble.htm place.htm sound.htm)
list(TRANSFORM CHM_INPUTS PREPEND ${CHM_SOURCE}/ OUTPUT_VARIABLE CHM_DEPENDS)
file(MAKE_DIRECTORY ${CHM_OUT})

add_custom_command(OUTPUT ${HELP_CHM}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${CHM_STAGE} ${CHM_OUT}/help.chm
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CHM_SOURCE} ${CHM_STAGE}
  # chmcmd writes the file named in the project into its working directory.
  COMMAND ${CHMCMD_EXE} --no-html-scan --verbosity 1 ${CHM_STAGE}/parlomix.hhp
  # Some failures show only as a missing file: the copy then fails the build.
  COMMAND ${CMAKE_COMMAND} -E copy ${CHM_OUT}/help.chm ${HELP_CHM}
  WORKING_DIRECTORY ${CHM_OUT}
  DEPENDS ${CHM_DEPENDS}
  COMMENT "Compiling help.chm"
  VERBATIM)
add_custom_target(help_chm ALL DEPENDS ${HELP_CHM})
